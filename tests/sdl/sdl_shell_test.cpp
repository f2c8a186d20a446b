// The Linux shell's pieces that need no window: key translation, and key,
// focus and close events to the game.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/game.h"
#include "linux/linux_places.h"
#include "shell/headless/headless_platform.h"
#include "shell/sdl/sdl_shell.h"
#include "tests/shell/key_cases.h"
#include "tests/shell/recording_steps.h"

namespace {
// The key a US layout gives (SDL's own table needs its video started).
SDL_Keycode usKeyOf(SDL_Scancode scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return SDLK_a + (scancode - SDL_SCANCODE_A);
    return SDL_SCANCODE_TO_KEYCODE(scancode);
}

SDL_Keysym keyOf(SDL_Scancode scancode, SDL_Keycode sym = SDLK_UNKNOWN, Uint16 mod = KMOD_NONE) {
    SDL_Keysym key = {};
    key.scancode = scancode;
    key.sym = sym == SDLK_UNKNOWN ? usKeyOf(scancode) : sym;
    key.mod = mod;
    return key;
}

// SDL's keycode for a case: the character the key prints, or for a named
// key ("ArrowLeft", "Home") the scancode's own.
SDL_Keycode keycodeOf(const KeyCase& c) {
    const auto* text = reinterpret_cast<const unsigned char*>(c.key);
    if (text[0] < 0x80 && text[1] == '\0') return text[0];
    if ((text[0] & 0xE0) == 0xC0 && text[2] == '\0') return ((text[0] & 0x1F) << 6) | (text[1] & 0x3F);
    return SDL_SCANCODE_TO_KEYCODE(static_cast<SDL_Scancode>(c.usbUsage));
}

TEST(SdlKeys, GivesEveryKeyTheCodeEveryShellGives) {
    for (const KeyCase& c : kKeyCases) {
        const SDL_Keysym key =
            keyOf(static_cast<SDL_Scancode>(c.usbUsage), keycodeOf(c), c.numLock ? KMOD_NUM : KMOD_NONE);
        EXPECT_EQ(virtualKeyOf(key), c.virtualKey) << c.code << " " << c.key;
    }
    EXPECT_EQ(virtualKeyOf(keyOf(SDL_SCANCODE_UNKNOWN)), -1);
}

// The window manager lists a window's states in its own order: full screen
// counts wherever it stands, whatever follows it.
TEST(SdlWindowManagerAnswer, FullScreenCountsAnywhereAmongTheStates) {
    const unsigned long kFullScreen = 301, kAbove = 302, kFocused = 303;
    const unsigned long states[] = {kAbove, kFullScreen, kFocused};
    EXPECT_TRUE(statesHoldFullScreen(states, 3, kFullScreen));
    EXPECT_TRUE(statesHoldFullScreen(states + 1, 1, kFullScreen));
    EXPECT_FALSE(statesHoldFullScreen(states, 1, kFullScreen));
    EXPECT_FALSE(statesHoldFullScreen(states + 2, 1, kFullScreen));
    EXPECT_FALSE(statesHoldFullScreen(nullptr, 0, kFullScreen));
}

class SdlEvents : public ::testing::Test {
protected:
    static SDL_Event keyEvent(Uint32 type, SDL_Scancode code, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
        SDL_Event event = {};
        event.type = type;
        event.key.keysym = keyOf(code, SDLK_UNKNOWN, mod);
        event.key.repeat = repeat;
        return event;
    }
    static SDL_Event windowEvent(SDL_WindowEventID id) {
        SDL_Event event = {};
        event.type = SDL_WINDOWEVENT;
        event.window.event = id;
        return event;
    }
    void send(const SDL_Event& event) { handleEvent(game, shell, event); }

    SdlEvents() {
        game.usePlatform(headless().services());
        display.handTo(shell.run);
        shell.run.platform = headless().services();
    }

    Game game;
    SdlShell shell;
    RecordingSteps display;
};

TEST_F(SdlEvents, FocusAndRestoringMoveTheDisplayThroughTheShellsSteps) {
    send(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    send(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
    // Brought back from the taskbar without the focus, not full screen: the
    // game's mode all the same.
    send(windowEvent(SDL_WINDOWEVENT_RESTORED));
    game.quitRequested = 1;
    send(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
    using Strings = std::vector<std::string>;
    EXPECT_EQ(display.log, (Strings{"cursor shown", "minimise", "restore", "apply", "cursor hidden", "apply",
                                    "cursor hidden", "cursor shown", "restore"}));
}

// Time away is not played: whatever brings the window back, the next frame
// measures from the return, not from the last frame before leaving.
TEST_F(SdlEvents, EveryReturnStartsTheFrameClockAfresh) {
    for (SDL_WindowEventID back : {SDL_WINDOWEVENT_FOCUS_GAINED, SDL_WINDOWEVENT_RESTORED, SDL_WINDOWEVENT_SHOWN}) {
        game.restartFrameClock();
        headless().advance(50);  // 50 s away
        send(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
        EXPECT_GT(game.frameSeconds(), 49.0f) << "leaving must not shorten the last frame";
        headless().advance(50);
        send(windowEvent(back));
        EXPECT_LT(game.frameSeconds(), 1.0f) << "window event " << back;
    }
}

// Without the focus the round holds still, full screen or in a window, and
// a window shown again without it still holds.
TEST_F(SdlEvents, TheRoundHoldsStillUntilTheFocusReturns) {
    for (const int32_t inWindow : {0, 1}) {
        shell.run.inWindow = inWindow;
        send(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
        EXPECT_TRUE(shell.run.held);
        send(windowEvent(SDL_WINDOWEVENT_RESTORED));
        EXPECT_TRUE(shell.run.held) << "shown again, but still without the focus";
        send(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
        EXPECT_FALSE(shell.run.held);
    }
}

// Alt with either Enter, and F11, toggle through the display policy; the
// chord's key reaches nothing until let go: on the end screen its repeats
// after Alt is let go would close it.
TEST_F(SdlEvents, TheToggleKeysSwitchAndTheirKeyReachesNothingUntilLetGo) {
    const SDL_Scancode keys[] = {SDL_SCANCODE_RETURN, SDL_SCANCODE_F11, SDL_SCANCODE_KP_ENTER};
    for (const SDL_Scancode key : keys) {
        send(keyEvent(SDL_KEYDOWN, key, KMOD_LALT));
        send(keyEvent(SDL_KEYDOWN, key, KMOD_LALT, 1));
        send(keyEvent(SDL_KEYDOWN, key, KMOD_NONE, 1));
        send(keyEvent(SDL_KEYUP, key));
        EXPECT_EQ(game.keyDown[0x0D], 0) << SDL_GetScancodeName(key);
        EXPECT_EQ(game.keyDown[0x7A], 0);
    }
    using Strings = std::vector<std::string>;
    EXPECT_EQ(display.log, (Strings{"restore", "window: shape", "query", "apply", "shape", "restore", "window: shape"}));
    EXPECT_EQ(shell.run.inWindow, 1);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER));
    EXPECT_EQ(game.keyDown[0x0D], 1) << "Enter alone is the game's";
}

// Let go while another window had the focus, the chord's key sent its
// release there: its next press is no repeat, and the player's.
TEST_F(SdlEvents, AToggleKeyLetGoElsewhereReachesTheGameOnItsNextPress) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_LALT));
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RETURN, KMOD_NONE, 1));
    EXPECT_EQ(game.keyDown[0x0D], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RETURN));
    EXPECT_EQ(game.keyDown[0x0D], 1);
}

TEST_F(SdlEvents, KeysWriteTheKeyTableIncludingRepeats) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_LEFT));
    EXPECT_EQ(game.keyDown[0x25], 1);
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_LEFT));
    EXPECT_EQ(game.keyDown[0x25], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_RIGHT, KMOD_NONE, 1));  // an auto-repeat
    EXPECT_EQ(game.keyDown[0x27], 1);
}

TEST_F(SdlEvents, OnlyTheMainRowDigitsChooseTheCamera) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_5, KMOD_NUM));
    EXPECT_EQ(game.cameraIndex, 0);
    EXPECT_EQ(game.keyDown[0x65], 1);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_5));
    EXPECT_EQ(game.cameraIndex, 4);
}

TEST_F(SdlEvents, KeypadArrowsWithoutNumLockSteerAsTheArrows) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_4));
    EXPECT_EQ(game.keyDown[0x25], 1);
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_KP_4));
    EXPECT_EQ(game.keyDown[0x25], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_KP_8));
    EXPECT_EQ(game.keyDown[0x26], 1);
}

// Either Alt makes a system key (shell/shell_keys.h), pressed or let go.
TEST_F(SdlEvents, SystemKeysReachNeitherHandler) {
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_3, KMOD_LALT));
    EXPECT_EQ(game.cameraIndex, 0);
    EXPECT_EQ(game.keyDown[0x33], 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, KMOD_RALT));
    EXPECT_EQ(game.gameOver, 0);
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_UP));
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_UP, KMOD_LALT));
    EXPECT_EQ(game.keyDown[0x26], 1);
}

// P and Pause hold the round and go on, M mutes: none of them reaches the
// key table; a pause outlasts the focus going and coming back.
TEST_F(SdlEvents, PauseAndMuteKeysAndAPauseThatOutlastsTheFocus) {
    for (const SDL_Scancode key : {SDL_SCANCODE_P, SDL_SCANCODE_PAUSE}) {
        send(keyEvent(SDL_KEYDOWN, key));
        send(keyEvent(SDL_KEYDOWN, key, KMOD_NONE, 1));
        send(keyEvent(SDL_KEYUP, key));
        EXPECT_EQ(game.paused, 1) << SDL_GetScancodeName(key);
        send(windowEvent(SDL_WINDOWEVENT_FOCUS_LOST));
        send(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED));
        EXPECT_EQ(game.paused, 1) << "coming back does not go on";
        send(keyEvent(SDL_KEYDOWN, key));
        send(keyEvent(SDL_KEYUP, key));
        EXPECT_EQ(game.paused, 0);
    }
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_M));
    EXPECT_EQ(game.muted, 1);
    send(keyEvent(SDL_KEYUP, SDL_SCANCODE_M));
    send(keyEvent(SDL_KEYDOWN, SDL_SCANCODE_M));
    EXPECT_EQ(game.muted, 0);
    for (int i = 0; i < kKeyCount; ++i) ASSERT_EQ(game.keyDown[i], 0) << "key " << i;
}

// xdg-user-dirs' file as its tool writes it, and as a player may edit it.
TEST(LinuxPlaces, ThePicturesFolderIsTheOneXdgUserDirsNames) {
    const std::filesystem::path home = "/home/jana";
    const std::string file =
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Plocha\"\n"
        "XDG_PICTURES_DIR=\"$HOME/Obrázky\"\n";
    EXPECT_EQ(picturesFolderIn(file, home), "/home/jana/Obrázky");
    EXPECT_EQ(picturesFolderIn("  XDG_PICTURES_DIR=\"/srv/photos/jana\"\n", home), "/srv/photos/jana");
    for (const char* none : {"", "XDG_PICTURES_DIR=\"$HOME/\"\n", "XDG_PICTURES_DIR=\"$HOME\"",
                             "#XDG_PICTURES_DIR=\"$HOME/Obrázky\"", "XDG_PICTURES_DIR=\"relative\"",
                             "XDG_PICTURES_DIR=\"$HOMEWARD/x\"", "XDG_PICTURES_DIR=\"$HOME/unclosed"})
        EXPECT_EQ(picturesFolderIn(none, home), "") << none;
}

TEST_F(SdlEvents, TheMouseDoesNothingAndACloseEndsTheGame) {
    SDL_Event click = {};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    send(click);
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    send(motion);
    EXPECT_FALSE(shell.closeRequested);
    for (int i = 0; i < kKeyCount; ++i) ASSERT_EQ(game.keyDown[i], 0);

    send(windowEvent(SDL_WINDOWEVENT_CLOSE));
    EXPECT_TRUE(shell.closeRequested);
    SdlShell other;
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    handleEvent(game, other, quit);
    EXPECT_TRUE(other.closeRequested);
}
}  // namespace
