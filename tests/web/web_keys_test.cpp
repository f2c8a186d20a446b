// The browser's keys as the game's virtual-key codes, as on Linux and Windows.

#include <gtest/gtest.h>

#include "shell/web/web_keys.h"
#include "tests/shell/key_cases.h"

namespace {
TEST(WebKeys, GivesEveryKeyTheCodeEveryShellGives) {
    for (const KeyCase& c : kKeyCases)
        EXPECT_EQ(virtualKeyOfWebKey(c.code, c.key), c.virtualKey) << c.code << " " << c.key;
    EXPECT_EQ(virtualKeyOfWebKey("KeyZ", "Z"), 0x5A);  // with Shift held
}

TEST(WebKeys, CodesThatOnlyLookLikeTheGamesAreIgnored) {
    for (const char* code : {"", "Digit", "Digit10", "Numpad10", "F0", "Key", "KeyAB", "Digit1x",
                             "Digit4294967297"})  // no number wraps into a digit key
        EXPECT_EQ(virtualKeyOfWebKey(code, "Unidentified"), -1) << code;
}

TEST(WebKeys, TheBrowserKeepsItsOwnKeys) {
    EXPECT_TRUE(browserKeepsKey("F5", false));
    EXPECT_TRUE(browserKeepsKey("F11", false));
    EXPECT_TRUE(browserKeepsKey("KeyR", true));
    for (const char* code : {"ArrowLeft", "Space", "Digit5", "Escape", "Enter", "KeyR"})
        EXPECT_FALSE(browserKeepsKey(code, false)) << code;
}
}  // namespace
