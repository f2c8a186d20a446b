// Pads plugged into the Linux shell as SDL's virtual joysticks, their events
// taken from SDL's own queue through the shell's event handling, as the
// program's loop does.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/game.h"
#include "core/keys.h"
#include "shell/headless/headless_platform.h"
#include "shell/sdl/sdl_shell.h"
#include "tests/shell/recording_steps.h"

namespace {
class SdlPads : public ::testing::Test {
protected:
    void SetUp() override {
        game.usePlatform(headless().services());
        display.handTo(shell.run);
        shell.run.platform = headless().services();
        openPads();
    }
    void TearDown() override {
        closePads(game, shell);
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    }

    // A virtual pad that SDL maps as a game controller, or a joystick that
    // no mapping knows: two axes, a hat, four buttons.
    SDL_Joystick* plug(bool controller) {
        SDL_VirtualJoystickDesc desc = {};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = controller ? SDL_JOYSTICK_TYPE_GAMECONTROLLER : SDL_JOYSTICK_TYPE_UNKNOWN;
        desc.naxes = controller ? SDL_CONTROLLER_AXIS_MAX : 2;
        desc.nbuttons = controller ? SDL_CONTROLLER_BUTTON_MAX : 4;
        desc.nhats = controller ? 0 : 1;
        desc.name = controller ? "test pad" : "test stick";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(index, 0) << SDL_GetError();
        EXPECT_EQ(SDL_IsGameController(index), controller ? SDL_TRUE : SDL_FALSE);
        SDL_Joystick* stick = SDL_JoystickOpen(index);
        EXPECT_NE(stick, nullptr) << SDL_GetError();
        pump();
        return stick;
    }

    void unplug(SDL_Joystick* stick) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(stick);
        SDL_JoystickClose(stick);
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
        pump();
    }

    void button(SDL_Joystick* stick, int which, bool down) {
        SDL_JoystickSetVirtualButton(stick, which, down ? 1 : 0);
        pump();
    }
    void axis(SDL_Joystick* stick, int which, Sint16 value) {
        SDL_JoystickSetVirtualAxis(stick, which, value);
        pump();
    }
    void hat(SDL_Joystick* stick, Uint8 value) {
        SDL_JoystickSetVirtualHat(stick, 0, value);
        pump();
    }
    void key(Uint32 type, SDL_Scancode code) {
        SDL_Event event = {};
        event.type = type;
        event.key.keysym.scancode = code;
        handleEvent(game, shell, event);
    }

    // Everything SDL has queued, through the shell.
    void pump() {
        SDL_JoystickUpdate();
        SDL_Event event;
        while (SDL_PollEvent(&event)) handleEvent(game, shell, event);
    }

    int held(int32_t virtualKey) const { return game.keyDown[virtualKey]; }

    Game game;
    SdlShell shell;
    RecordingSteps display;
};

TEST_F(SdlPads, EveryDirectionAndButtonOfAController) {
    SDL_Joystick* pad = plug(true);
    struct Case {
        int button;
        int32_t key;
    };
    const Case buttons[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, kKeyLeft}, {SDL_CONTROLLER_BUTTON_DPAD_UP, kKeyUp},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, kKeyRight}, {SDL_CONTROLLER_BUTTON_DPAD_DOWN, kKeyDown},
        {SDL_CONTROLLER_BUTTON_A, kKeyReturn},
    };
    for (const Case& c : buttons) {
        SCOPED_TRACE(c.button);
        button(pad, c.button, true);
        EXPECT_EQ(held(c.key), 1);
        button(pad, c.button, false);
        EXPECT_EQ(held(c.key), 0);
    }
    // Start pauses the round and goes on (core/pad_mapping.h).
    for (const int32_t paused : {1, 0}) {
        button(pad, SDL_CONTROLLER_BUTTON_START, true);
        EXPECT_EQ(game.paused, paused);
        EXPECT_EQ(held(kKeyReturn), 0);
        button(pad, SDL_CONTROLLER_BUTTON_START, false);
    }

    // The stick: a lean inside the dead zone holds nothing, a full one holds its arrow.
    struct Lean {
        int axis;
        Sint16 value;
        int32_t key;
    };
    const Lean leans[] = {{SDL_CONTROLLER_AXIS_LEFTX, -32768, kKeyLeft}, {SDL_CONTROLLER_AXIS_LEFTX, 32767, kKeyRight},
                          {SDL_CONTROLLER_AXIS_LEFTY, -32768, kKeyUp}, {SDL_CONTROLLER_AXIS_LEFTY, 32767, kKeyDown}};
    for (const Lean& l : leans) {
        SCOPED_TRACE(l.key);
        axis(pad, l.axis, static_cast<Sint16>(l.value / 4));
        EXPECT_EQ(held(l.key), 0);
        axis(pad, l.axis, l.value);
        EXPECT_EQ(held(l.key), 1);
        axis(pad, l.axis, 0);
        EXPECT_EQ(held(l.key), 0);
    }
    // The right stick and the triggers are not the left stick.
    axis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 32767);
    axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
    for (int32_t k : {kKeyLeft, kKeyUp, kKeyRight, kKeyDown}) EXPECT_EQ(held(k), 0);

    // Shoulders step the camera and wrap both ways; the camera keys are let go at once.
    button(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
    EXPECT_EQ(game.cameraIndex, kCameraPresetCount - 1);
    button(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    EXPECT_EQ(game.cameraIndex, kCameraPresetCount - 1);  // an edge, not a level
    button(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    button(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false);
    button(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true);
    EXPECT_EQ(game.cameraIndex, 1);
    for (int32_t preset = 0; preset < kCameraPresetCount; ++preset) EXPECT_EQ(held(cameraKey(preset)), 0);

    EXPECT_EQ(game.gameOver, 0);
    button(pad, SDL_CONTROLLER_BUTTON_BACK, true);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(held(kKeyEscape), 1);
    button(pad, SDL_CONTROLLER_BUTTON_BACK, false);
    EXPECT_EQ(held(kKeyEscape), 0);
    game.gameOver = 0;
    button(pad, SDL_CONTROLLER_BUTTON_B, true);
    EXPECT_EQ(game.gameOver, 1);
    unplug(pad);
}

TEST_F(SdlPads, PadsAndKeyboardHoldTogetherAndAPulledPadLetsGoOnlyOfItsOwn) {
    key(SDL_KEYDOWN, SDL_SCANCODE_LEFT);
    SDL_Joystick* first = plug(true);   // plugged in mid-round
    SDL_Joystick* second = plug(true);
    button(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT, true);
    button(first, SDL_CONTROLLER_BUTTON_DPAD_LEFT, false);
    EXPECT_EQ(held(kKeyLeft), 1) << "the keyboard still holds it";
    key(SDL_KEYUP, SDL_SCANCODE_LEFT);
    EXPECT_EQ(held(kKeyLeft), 0);

    button(first, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    axis(second, SDL_CONTROLLER_AXIS_LEFTX, 30000);
    button(second, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    key(SDL_KEYDOWN, SDL_SCANCODE_UP);
    EXPECT_EQ(held(kKeyRight) + held(kKeyDown) + held(kKeyUp), 3);

    // Without the focus SDL sends no pad events: every key lets go with it,
    // and the pads are read again when it is back.
    SDL_Event focus = {};
    focus.type = SDL_WINDOWEVENT;
    focus.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    handleEvent(game, shell, focus);
    EXPECT_EQ(held(kKeyRight) + held(kKeyDown) + held(kKeyUp), 0);
    focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
    handleEvent(game, shell, focus);
    EXPECT_EQ(held(kKeyRight) + held(kKeyDown), 2);
    EXPECT_EQ(held(kKeyUp), 0) << "a key is held again only when pressed again";
    key(SDL_KEYDOWN, SDL_SCANCODE_UP);

    unplug(second);
    EXPECT_EQ(held(kKeyRight), 1) << "the first pad still holds it";
    EXPECT_EQ(held(kKeyDown), 0);
    EXPECT_EQ(held(kKeyUp), 1);
    unplug(first);
    EXPECT_EQ(held(kKeyRight), 0);
    EXPECT_EQ(held(kKeyUp), 1);

    // Plugged in again, the same pad works at once.
    SDL_Joystick* again = plug(true);
    button(again, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_EQ(held(kKeyRight), 1);
    unplug(again);
}

TEST_F(SdlPads, AJoystickNoMappingKnowsSteersWithItsAxesAndHat) {
    SDL_Joystick* stick = plug(false);
    axis(stick, 0, -32768);
    axis(stick, 1, 32767);
    EXPECT_EQ(held(kKeyLeft) + held(kKeyDown), 2);
    axis(stick, 0, 0);
    axis(stick, 1, 0);
    hat(stick, SDL_HAT_RIGHTUP);
    EXPECT_EQ(held(kKeyRight) + held(kKeyUp), 2);
    EXPECT_EQ(held(kKeyLeft) + held(kKeyDown), 0);
    button(stick, 0, true);
    EXPECT_EQ(held(kKeyReturn), 1);
    // Its other buttons have no known meaning: they neither end the round nor step the camera.
    for (int b = 1; b < 4; ++b) button(stick, b, true);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(game.cameraIndex, 0);
    unplug(stick);
    EXPECT_EQ(held(kKeyRight) + held(kKeyUp) + held(kKeyReturn), 0);
}

// The player's own mappings are read before any pad is opened: a pad that
// only they know is a controller from its first event on.
TEST(SdlPadMappings, ThePlayersOwnFileMakesAStickAController) {
    const std::string config = ::testing::TempDir() + "korvada-pads-config";
    ASSERT_EQ(std::system(("mkdir -p '" + config + "/korvada'").c_str()), 0);
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    EXPECT_EQ(padMappingsFile(), config + "/korvada/gamecontrollerdb.txt");

    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SDL_VirtualJoystickDesc desc = {};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.naxes = 2;
    desc.nbuttons = 4;
    desc.name = "odd stick";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(index, 0) << SDL_GetError();
    // Mapping files name a pad without the checksum of its name, as the
    // shared mapping database does.
    SDL_JoystickGUID id = SDL_JoystickGetDeviceGUID(index);
    id.data[2] = id.data[3] = 0;
    char guid[64];
    SDL_JoystickGetGUIDString(id, guid, sizeof guid);
    // Its fourth button is B.
    FILE* file = std::fopen(padMappingsFile().c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fprintf(file, "%s,odd stick,a:b0,b:b3,leftx:a0,lefty:a1,platform:Linux,\n", guid);
    std::fclose(file);

    openPads();
    Game game;
    game.usePlatform(headless().services());
    SdlShell shell;
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    SDL_Event event;
    while (SDL_PollEvent(&event)) handleEvent(game, shell, event);
    SDL_JoystickSetVirtualButton(stick, 3, 1);
    SDL_JoystickUpdate();
    while (SDL_PollEvent(&event)) handleEvent(game, shell, event);
    EXPECT_NE(shell.padDevices[0].controller, nullptr);
    EXPECT_EQ(game.gameOver, 1);

    SDL_JoystickClose(stick);
    closePads(game, shell);
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);

    // A relative XDG_CONFIG_HOME counts as none: the file is under ~/.config.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    if (const char* home = std::getenv("HOME")) {
        EXPECT_EQ(padMappingsFile(), std::string(home) + "/.config/korvada/gamecontrollerdb.txt");
    }
    if (saved) setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}
}  // namespace
