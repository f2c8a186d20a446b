// The browser's keys as the game's virtual-key codes, as on Linux and Windows.

#include <gtest/gtest.h>

#include "shell/web/web_keys.h"
#include "tests/shell/key_cases.h"

namespace {
TEST(WebKeys, GivesEveryKeyTheCodeEveryShellGives) {
    for (const KeyCase& c : kKeyCases)
        EXPECT_EQ(virtualKeyOfWebKey(c.code, c.key), c.virtualKey) << c.code << " " << c.key;
    // With Shift held the layout's letter still counts, not the key's place:
    // Z on a Czech keyboard's Y, A on a French one's Q.
    EXPECT_EQ(virtualKeyOfWebKey("KeyY", "Z"), 0x5A);
    EXPECT_EQ(virtualKeyOfWebKey("KeyQ", "A"), 0x41);
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
