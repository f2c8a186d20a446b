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
    // A name, board or secret refused is read as none: the code's line
    // stands, and the file had such a line all the same.
    const auto refused = [&](const std::string& value, const char* mark) {
        return value.empty() && lf.find(std::string("\n") + mark) != std::string::npos;
    };
    const bool someRefused = refused(saved.choice.name, "name ") || refused(saved.choice.board, "board ") ||
                             refused(saved.choice.secret, "secret ");
    check(asWritten || someRefused);
    check(bottlesToLay(saved.choice.settings) <= kMostBottles);
    const std::vector<std::string> arguments = gameArguments(saved.choice);
    const size_t named = saved.choice.name.empty() ? 0 : 2;
    check(arguments.size() == (saved.choice.fullScreen ? 1u : 2u) + named && arguments.back().size() == 5);
    return 0;
}
