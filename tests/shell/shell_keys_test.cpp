// The keys every shell handles itself: which key asks for an action, which
// keys the window system keeps, and the latch of an action's key, fed key
// events as a shell translates them.

#include "shell/shell_keys.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {
constexpr bool kAlt = true, kNoAlt = false;

class ShellKeys : public ::testing::Test {
protected:
    // One event, noted as "game", the action ("toggle", "pause", "mute",
    // "picture") or "-" (nowhere).
    std::string event(int32_t key, bool down, bool alt, bool repeat) {
        const KeyRoute route = routeKey(latch, key, down, alt, repeat);
        EXPECT_FALSE(route.toGame && route.action != ShellAction::Nothing);
        switch (route.action) {
            case ShellAction::ToggleFullScreen: return "toggle";
            case ShellAction::TogglePause: return "pause";
            case ShellAction::ToggleMute: return "mute";
            case ShellAction::SavePicture: return "picture";
            case ShellAction::HoldFast: return "fast";
            case ShellAction::LetGoFast: return "fast-off";
            case ShellAction::Nothing: break;
        }
        return route.toGame ? "game" : "-";
    }
    std::string press(int32_t key, bool alt) { return event(key, true, alt, false); }
    std::string repeat(int32_t key, bool alt) { return event(key, true, alt, true); }
    std::string letGo(int32_t key, bool alt) { return event(key, false, alt, false); }
    KeyLatch latch;
};

using Strings = std::vector<std::string>;

// Enter held after Alt is let go repeats without Alt; the end screen would
// close on any of them.
TEST_F(ShellKeys, AnActionsKeyReachesNothingUntilLetGoHoweverAltGoes) {
    for (const int32_t key : {kKeyReturn, kKeyF11}) {
        const Strings seen = {press(key, kAlt),    repeat(key, kAlt),   repeat(key, kNoAlt),
                              repeat(key, kNoAlt), letGo(key, kNoAlt), press(key, kNoAlt)};
        const std::string fresh = key == kKeyReturn ? "game" : "toggle";
        // The release reaches the game, which does not hold the key: nothing changes.
        EXPECT_EQ(seen, (Strings{"toggle", "-", "-", "-", "game", fresh})) << "key " << key;
        letGo(key, kNoAlt);
    }
    // Let go while Alt is still held: the latch goes all the same.
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle");
    EXPECT_EQ(letGo(kKeyReturn, kAlt), "game");
    EXPECT_EQ(press(kKeyReturn, kNoAlt), "game");
}

// P and Pause hold the round, M silences it, F12 pictures it: once a press,
// never reaching the game, whose keys they are not. Alt+letter is Windows'.
TEST_F(ShellKeys, PauseMuteAndPictureActOnceAPressAndNeverReachTheGame) {
    const std::tuple<int32_t, bool, const char*> keys[] = {
        {kKeyP, kNoAlt, "pause"},    {kKeyPause, kNoAlt, "pause"}, {kKeyPause, kAlt, "pause"},
        {kKeyM, kNoAlt, "mute"},     {kKeyF12, kNoAlt, "picture"}, {kKeyF12, kAlt, "picture"},
        {kKeyP, kAlt, "-"},          {kKeyM, kAlt, "-"}};
    for (const auto& [key, alt, action] : keys) {
        const Strings seen = {press(key, alt), repeat(key, alt), repeat(key, alt), letGo(key, alt), press(key, alt)};
        EXPECT_EQ(seen, (Strings{action, "-", "-", "game", action})) << "key " << key << (alt ? " with Alt" : "");
        letGo(key, alt);
    }
    EXPECT_EQ(press(kKeyA + ('W' - 'A'), kNoAlt), "game") << "other letters stay the game's, which reads none";
}

// Tab is held, not pressed: fast from its press to its release, whatever
// Alt does meanwhile, its repeats changing nothing and none of it reaching
// the key table, nor taking the latch from the action's key held with it.
TEST_F(ShellKeys, TheFastWatchKeyHoldsFromPressToReleaseAndNeverReachesTheGame) {
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle");
    const Strings seen = {press(kKeyTab, kNoAlt), repeat(kKeyTab, kNoAlt), repeat(kKeyTab, kAlt),
                          letGo(kKeyTab, kAlt),   press(kKeyTab, kAlt),    letGo(kKeyTab, kNoAlt)};
    EXPECT_EQ(seen, (Strings{"fast", "-", "-", "fast-off", "fast", "fast-off"}));
    EXPECT_EQ(repeat(kKeyReturn, kNoAlt), "-") << "Enter's latch outlives Tab";
}

TEST_F(ShellKeys, TheLatchKeepsItsKeyAloneWhileOtherKeysPlay) {
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle");
    EXPECT_EQ(press(kKeyLeft, kNoAlt), "game");
    EXPECT_EQ(repeat(kKeyLeft, kNoAlt), "game") << "the game takes repeats as presses";
    EXPECT_EQ(letGo(kKeyLeft, kNoAlt), "game");
    EXPECT_EQ(press(kKeyF11, kNoAlt), "toggle") << "another action's key acts at once";
    EXPECT_EQ(repeat(kKeyReturn, kNoAlt), "game") << "the newest action's key holds the latch";
}

// Let go while another window had the focus, the key's release went there;
// its next press is no repeat: the player's own, acting as any press. A key
// held all along only repeats, and repeats never act.
TEST_F(ShellKeys, AFreshPressOfTheLatchedKeyWasLetGoUnseen) {
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle");
    EXPECT_EQ(press(kKeyReturn, kNoAlt), "game");
    EXPECT_EQ(latch.key, -1);
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle");
    EXPECT_EQ(press(kKeyReturn, kAlt), "toggle") << "Alt+Enter anew toggles anew";
    EXPECT_EQ(letGo(kKeyReturn, kNoAlt), "game");
    EXPECT_EQ(press(kKeyReturn, kNoAlt), "game");
    EXPECT_EQ(repeat(kKeyReturn, kAlt), "-") << "Alt pressed while Enter repeats";
}

// Windows keeps the presses; every release is the game's, which lets go of
// what it holds and ignores the rest.
TEST_F(ShellKeys, WindowsKeepsAltChordsAndF10AndEnterAloneIsTheGames) {
    EXPECT_EQ(press(kKey1 + 2, kAlt), "-");
    EXPECT_EQ(press(kKeyEscape, kAlt), "-");
    EXPECT_EQ(press(kKeyF10, kNoAlt), "-");
    EXPECT_EQ(letGo(kKeyF10, kNoAlt), "game");
    // Held, then Alt pressed, then let go: the bottle must stop steering.
    EXPECT_EQ(press(kKeyUp, kNoAlt), "game");
    EXPECT_EQ(letGo(kKeyUp, kAlt), "game");
    EXPECT_EQ(press(kKeyReturn, kNoAlt), "game");
    EXPECT_EQ(letGo(kKeyReturn, kNoAlt), "game");
    EXPECT_EQ(press(-1, kNoAlt), "-") << "a key the game has no code for";
    EXPECT_EQ(latch.key, -1);
}
}  // namespace
