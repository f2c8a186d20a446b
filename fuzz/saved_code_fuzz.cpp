// The setup's saved choice read back as the setup reads it at every start
// (readSavedCode, from a real file): either a line the setup itself writes,
// with at most its line end, or the defaults, full screen.

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
    check(input == line || input == line + "\n" || input == line + "\r" || input == line + "\r\n");
    check(bottlesToLay(saved.choice.settings) <= kMostBottles);
    const std::vector<std::string> arguments = gameArguments(saved.choice);
    check(arguments.size() == (saved.choice.fullScreen ? 1u : 2u) && arguments.back().size() == 5);
    return 0;
}
