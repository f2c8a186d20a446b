// The launch code as the programs take it: a Windows command line through
// windowsCommandTail, Linux arguments through joinArguments, then the
// --window option and the decode, exactly as korvada and korvada.exe call
// them. What they promise: one box for a refused code and none for a taken
// one, settings within the tables, a code the setup can write back to the
// same settings, and the option taken only with its blanks.

#include <cstring>
#include <string>
#include <vector>

#include "core/settings.h"
#include "fuzz/fuzz_input.h"
#include "setup/launch_settings.h"
#include "shell/headless/headless_platform.h"

namespace {
void decode(std::string tail) {
    const std::string before = tail;
    const bool inWindow = takeWindowOption(&tail);
    if (inWindow) {
        check(before.compare(0, std::strlen(kWindowOption), kWindowOption) == 0);
        check(tail.empty() || static_cast<unsigned char>(tail[0]) > ' ');
        check(before.size() > tail.size() + std::strlen(kWindowOption));
    } else {
        check(tail == before);
    }
    headless().clear();
    GameSettings settings;
    if (!decodeLaunchCode(headless().services(), tail, &settings)) {
        check(headless().errors.size() == 1 && headless().errors[0] == kBadLaunchCodeMessage);
        return;
    }
    check(headless().errors.empty());
    check(tail.size() == 5);
    check(settings.resolutionIndex >= 0 && settings.resolutionIndex < kResolutionCount);
    check(bottlesToLay(settings) >= 1 && bottlesToLay(settings) <= kMaxBottles);
    const Resolution size = resolutionOf(settings);
    check(size.width > 0 && size.height > 0);
    // The setup's own code for these settings decodes to them again.
    const std::string written = encodeLaunchCode(settings);
    GameSettings again;
    check(written.size() == 5 && parseLaunchCode(written, &again));
    check(again.resolutionIndex == settings.resolutionIndex && again.colorCode == settings.colorCode &&
          again.blending == settings.blending && again.bottleCount == settings.bottleCount &&
          again.sound == settings.sound);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Windows: the command line up to its end, as GetCommandLineA gives it.
    const std::string tail = windowsCommandTail(input.c_str());
    check(tail.empty() || static_cast<unsigned char>(tail[0]) > ' ');
    decode(tail);

    // Linux: the arguments after the program's name, split where the input
    // has a NUL byte, as the system hands them to main().
    std::vector<std::string> words{"korvada"};
    for (std::string::size_type start = 0;;) {
        const std::string::size_type end = input.find('\0', start);
        words.push_back(input.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::vector<const char*> argv;
    for (const std::string& word : words) argv.push_back(word.c_str());
    decode(joinArguments(static_cast<int>(argv.size()), argv.data()));
    return 0;
}
