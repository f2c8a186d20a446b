// The setup's saved choice read back as the setup reads it at every start
// (readSavedCode, from a real file): either the lines the setup itself
// writes, with at most their last line end, or the defaults, full screen.

#include "fuzz/fuzz_input.h"
#include "setup/launch_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const SavedCode saved = readSavedCode(inputFile(data, size));
    if (!saved.found) {
        const GameSettings defaults = defaultSettings();
        const GameSettings& s = saved.choice.settings;
        check(saved.choice.fullScreen && s.resolutionIndex == defaults.resolutionIndex &&
              s.colorCode == defaults.colorCode && s.blending == defaults.blending &&
              s.bottleCount == defaults.bottleCount && s.sound == defaults.sound);
        return 0;
    }
    const std::string line = savedLine(saved.choice);
    // Each line may end in CR LF, as an editor on Windows leaves them.
    std::string lf = input;
    for (size_t at = lf.find("\r\n"); at != std::string::npos; at = lf.find("\r\n", at)) lf.erase(at, 1);
    const bool asWritten = lf == line || lf == line + "\n" || lf == line + "\r";
    // A name the rule refuses is read as none: the code's line stands, and
    // what follows it was a name's line all the same.
    const bool nameRefused = saved.choice.name.empty() && lf.compare(0, line.size() + 6, line + "\nname ") == 0;
    check(asWritten || nameRefused);
    check(bottlesToLay(saved.choice.settings) <= kMostBottles);
    const std::vector<std::string> arguments = gameArguments(saved.choice);
    const size_t named = saved.choice.name.empty() ? 0 : 2;
    check(arguments.size() == (saved.choice.fullScreen ? 1u : 2u) + named && arguments.back().size() == 5);
    return 0;
}
