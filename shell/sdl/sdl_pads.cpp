// Gamepads on Linux: SDL's game controllers, and any other joystick by its
// first two axes, its first hat and its first button. Each open device has a
// slot of the shell's Pads; every event of a device reads its whole state
// again, so a missed event costs nothing.

#include <cstdio>
#include <cstdlib>

#include "shell/sdl/sdl_shell.h"

namespace {
float axisValue(Sint16 value) { return value < -32767 ? -1.0f : static_cast<float>(value) / 32767.0f; }

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
    return state;
}

// No mapping says which button is which: the first one counts as A, which
// only leaves the end screen, so a wrong guess cannot end a round.
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

PadState stateOf(const SdlPad& pad) {
    return pad.controller != nullptr ? controllerState(pad.controller) : joystickState(pad.joystick);
}

int slotOf(const SdlShell& shell, SDL_JoystickID id) {
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (shell.padDevices[slot].id == id) return slot;
    return -1;
}

// A device already open (SDL announces a controller both as a joystick and
// as a controller) or one too many is left alone.
void openDevice(Game& game, SdlShell& shell, int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    const int free = slotOf(shell, -1);
    if (id < 0 || slotOf(shell, id) >= 0 || free < 0) return;
    SdlPad pad;
    if (SDL_IsGameController(deviceIndex)) {
        pad.controller = SDL_GameControllerOpen(deviceIndex);
        if (pad.controller == nullptr) return;
    } else {
        pad.joystick = SDL_JoystickOpen(deviceIndex);
        if (pad.joystick == nullptr) return;
    }
    pad.id = id;
    shell.padDevices[free] = pad;
    updatePad(game, shell.pads, free, stateOf(pad));
}

void closeDevice(Game& game, SdlShell& shell, int slot) {
    SdlPad& pad = shell.padDevices[slot];
    losePad(game, shell.pads, slot);
    if (pad.controller != nullptr) SDL_GameControllerClose(pad.controller);
    if (pad.joystick != nullptr) SDL_JoystickClose(pad.joystick);
    pad = SdlPad();
}

void readDevice(Game& game, SdlShell& shell, SDL_JoystickID id, bool controllerEvent) {
    const int slot = slotOf(shell, id);
    if (slot < 0) return;
    const SdlPad& pad = shell.padDevices[slot];
    // A controller's raw joystick events come along with its own: one reading is enough.
    if ((pad.controller != nullptr) != controllerEvent) return;
    updatePad(game, shell.pads, slot, stateOf(pad));
}
}  // namespace

std::string padMappingsFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return std::string(config) + "/korvada/gamecontrollerdb.txt";
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') return std::string();
    return std::string(home) + "/.config/korvada/gamecontrollerdb.txt";
}

void openPads() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "korvada: no gamepads: %s\n", SDL_GetError());
        return;
    }
    const std::string file = padMappingsFile();
    if (!file.empty() && SDL_GameControllerAddMappingsFromFile(file.c_str()) < 0) {
        // Only a file that is there but unreadable is worth a word.
        if (FILE* there = std::fopen(file.c_str(), "rb")) {
            std::fclose(there);
            std::fprintf(stderr, "korvada: %s: %s\n", file.c_str(), SDL_GetError());
        }
    }
}

void handlePadEvent(Game& game, SdlShell& shell, const SDL_Event& event) {
    switch (event.type) {
        case SDL_JOYDEVICEADDED:
        case SDL_CONTROLLERDEVICEADDED: openDevice(game, shell, event.jdevice.which); break;
        case SDL_JOYDEVICEREMOVED:
        case SDL_CONTROLLERDEVICEREMOVED: {
            const int slot = slotOf(shell, event.jdevice.which);
            if (slot >= 0) closeDevice(game, shell, slot);
            break;
        }
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: readDevice(game, shell, event.cdevice.which, true); break;
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: readDevice(game, shell, event.jdevice.which, false); break;
        default: break;
    }
}

void padsGainFocus(Game& game, SdlShell& shell) {
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (shell.padDevices[slot].id >= 0) updatePad(game, shell.pads, slot, stateOf(shell.padDevices[slot]));
}

void closePads(Game& game, SdlShell& shell) {
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (shell.padDevices[slot].id >= 0) closeDevice(game, shell, slot);
}
