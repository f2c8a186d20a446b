#include "linux/sdl_pad_state.h"

#include <cstdio>
#include <cstdlib>

namespace {
float axisValue(Sint16 value) { return value < -32767 ? -1.0f : static_cast<float>(value) / 32767.0f; }
}  // namespace

bool startGamepads(const char* program) {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "%s: no gamepads: %s\n", program, SDL_GetError());
        return false;
    }
    const std::string file = padMappingsFile();
    if (!file.empty() && SDL_GameControllerAddMappingsFromFile(file.c_str()) < 0) {
        // Only a file that is there but unreadable is worth a word.
        if (FILE* there = std::fopen(file.c_str(), "rb")) {
            std::fclose(there);
            std::fprintf(stderr, "%s: %s: %s\n", program, file.c_str(), SDL_GetError());
        }
    }
    return true;
}

std::string padMappingsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/korvada/gamecontrollerdb.txt";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return std::string();
    return std::string(home) + "/.config/korvada/gamecontrollerdb.txt";
}

PadState controllerState(SDL_GameController* pad) {
    const auto down = [pad](SDL_GameControllerButton button) {
        return SDL_GameControllerGetButton(pad, button) != 0;
    };
    PadState state;
    state.dpadUp = down(SDL_CONTROLLER_BUTTON_DPAD_UP);
    state.dpadDown = down(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    state.dpadLeft = down(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    state.dpadRight = down(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    state.stickX = axisValue(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX));
    state.stickY = axisValue(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    state.south = down(SDL_CONTROLLER_BUTTON_A);
    state.east = down(SDL_CONTROLLER_BUTTON_B);
    state.start = down(SDL_CONTROLLER_BUTTON_START);
    state.back = down(SDL_CONTROLLER_BUTTON_BACK);
    state.leftShoulder = down(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    state.rightShoulder = down(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    state.rightTrigger = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > 16384;
    return state;
}

PadState joystickState(SDL_Joystick* stick) {
    PadState state;
    if (SDL_JoystickNumAxes(stick) >= 2) {
        state.stickX = axisValue(SDL_JoystickGetAxis(stick, 0));
        state.stickY = axisValue(SDL_JoystickGetAxis(stick, 1));
    }
    if (SDL_JoystickNumHats(stick) >= 1) {
        const Uint8 hat = SDL_JoystickGetHat(stick, 0);
        state.dpadUp = (hat & SDL_HAT_UP) != 0;
        state.dpadDown = (hat & SDL_HAT_DOWN) != 0;
        state.dpadLeft = (hat & SDL_HAT_LEFT) != 0;
        state.dpadRight = (hat & SDL_HAT_RIGHT) != 0;
    }
    state.south = SDL_JoystickNumButtons(stick) >= 1 && SDL_JoystickGetButton(stick, 0) != 0;
    return state;
}
