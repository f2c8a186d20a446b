// The browser's keys as the game's virtual-key codes, as on Linux and Windows.

#include <gtest/gtest.h>

#include "core/keys.h"
#include "shell/web/web_keys.h"

namespace {
TEST(WebKeys, TranslatesTheKeysTheGameHasCodesFor) {
    const struct {
        const char* code;
        const char* key;
        int32_t virtualKey;
    } cases[] = {
        {"ArrowLeft", "ArrowLeft", kKeyLeft}, {"ArrowUp", "ArrowUp", kKeyUp},
        {"ArrowRight", "ArrowRight", kKeyRight}, {"ArrowDown", "ArrowDown", kKeyDown},
        {"Escape", "Escape", kKeyEscape}, {"Space", " ", kKeySpace},
        {"Enter", "Enter", kKeyReturn}, {"NumpadEnter", "Enter", kKeyReturn},
        {"Digit0", "0", kKey0}, {"Digit1", "1", kKey1}, {"Digit6", "6", kKey6}, {"Digit9", "9", 0x39},
        {"Numpad0", "0", kKeyNumpad0}, {"Numpad5", "5", 0x65}, {"Numpad9", "9", 0x69},
        {"F1", "F1", kKeyF1}, {"F12", "F12", 0x7B},
        {"KeyA", "a", kKeyA}, {"KeyZ", "Z", 0x5A},
    };
    for (const auto& c : cases) EXPECT_EQ(virtualKeyOfWebKey(c.code, c.key), c.virtualKey) << c.code;
}

TEST(WebKeys, KeysWithoutACodeAreIgnored) {
    for (const char* code : {"", "Digit", "Digit10", "Numpad10", "NumpadAdd", "F0", "F13", "Minus", "ShiftLeft",
                             "Tab", "Key", "KeyAB", "Digit1x"})
        EXPECT_EQ(virtualKeyOfWebKey(code, "Unidentified"), -1) << code;
}

TEST(WebKeys, DigitsGoByPlaceLettersByLayout) {
    // A Czech layout prints 'ě' on the '2' key and 'z' on the 'Y' key.
    EXPECT_EQ(virtualKeyOfWebKey("Digit2", "ě"), 0x32);
    EXPECT_EQ(virtualKeyOfWebKey("KeyY", "z"), 0x5A);
    // A Cyrillic layout: the key's place on a US keyboard.
    EXPECT_EQ(virtualKeyOfWebKey("KeyQ", "й"), 0x51);
}

TEST(WebKeys, AltAndF10AreTheSystemsAndTheBrowserKeepsItsOwnKeys) {
    EXPECT_TRUE(isSystemWebKey("KeyF", true));
    EXPECT_TRUE(isSystemWebKey("F10", false));
    EXPECT_FALSE(isSystemWebKey("ArrowLeft", false));

    EXPECT_TRUE(browserKeepsKey("F5", false));
    EXPECT_TRUE(browserKeepsKey("F11", false));
    EXPECT_TRUE(browserKeepsKey("KeyR", true));
    for (const char* code : {"ArrowLeft", "Space", "Digit5", "Escape", "Enter", "KeyR"})
        EXPECT_FALSE(browserKeepsKey(code, false)) << code;
}
}  // namespace
