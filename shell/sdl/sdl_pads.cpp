// Gamepads on Linux: SDL's game controllers, and any other joystick by its
// first two axes, its first hat and its first button. Each open device has a
// slot of the shell's Pads; every event of a device reads its whole state
// again, so a missed event costs nothing.

#include "shell/sdl/sdl_shell.h"

namespace {
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

void openPads() { startGamepads("korvada"); }

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
