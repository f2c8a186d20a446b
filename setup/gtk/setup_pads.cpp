#include "setup/gtk/setup_pads.h"

#include <SDL.h>
#include <glib.h>

#include "setup/pad_menu.h"
#include "linux/sdl_pad_state.h"

namespace {
// Often enough that a tap of a button is never missed between two readings.
constexpr guint kReadEveryMs = 16;

struct OpenPad {
    SDL_JoystickID id = -1;  // -1: the slot is free
    SDL_GameController* controller = nullptr;
    SDL_Joystick* joystick = nullptr;  // only for a joystick without a mapping
};

struct SetupPads {
    PadActions act;
    OpenPad open[kPadSlots];
    PadMenu menu;
    bool shown = true;
    guint source = 0;
};

SetupPads* pads = nullptr;

int slotOf(SDL_JoystickID id) {
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (pads->open[slot].id == id) return slot;
    return -1;
}

// A controller is announced both as a joystick and as a controller: opened once.
void openDevice(int deviceIndex) {
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    const int free = slotOf(-1);
    if (id < 0 || slotOf(id) >= 0 || free < 0) return;
    OpenPad pad;
    if (SDL_IsGameController(deviceIndex))
        pad.controller = SDL_GameControllerOpen(deviceIndex);
    else
        pad.joystick = SDL_JoystickOpen(deviceIndex);
    if (pad.controller == nullptr && pad.joystick == nullptr) return;
    pad.id = id;
    pads->open[free] = pad;
}

void closeDevice(int slot) {
    OpenPad& pad = pads->open[slot];
    if (pad.controller != nullptr) SDL_GameControllerClose(pad.controller);
    if (pad.joystick != nullptr) SDL_JoystickClose(pad.joystick);
    pad = OpenPad();
}

gboolean readPads(gpointer) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_JOYDEVICEADDED || event.type == SDL_CONTROLLERDEVICEADDED) openDevice(event.jdevice.which);
        if (event.type == SDL_JOYDEVICEREMOVED || event.type == SDL_CONTROLLERDEVICEREMOVED) {
            const int slot = slotOf(event.jdevice.which);
            if (slot >= 0) closeDevice(slot);
        }
    }
    PadState states[kPadSlots];
    int count = 0;
    for (const OpenPad& pad : pads->open)
        if (pad.id >= 0) states[count++] = pad.controller ? controllerState(pad.controller) : joystickState(pad.joystick);
    if (!pads->shown) {
        padMenuShown(pads->menu, states, count);
        return G_SOURCE_CONTINUE;
    }
    const uint32_t actions = padMenuActions(pads->menu, states, count, SDL_GetTicks());
    if (actions != 0) pads->act(actions);
    return G_SOURCE_CONTINUE;
}
}  // namespace

bool openSetupPads(const PadActions& act) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (!startGamepads("korvada-setup")) return false;
    pads = new SetupPads;
    pads->act = act;
    pads->source = g_timeout_add(kReadEveryMs, readPads, nullptr);
    return true;
}

void showSetupPads(bool shown) {
    if (pads != nullptr) pads->shown = shown;
}

void closeSetupPads() {
    if (pads == nullptr) return;
    g_source_remove(pads->source);
    for (int slot = 0; slot < kPadSlots; ++slot)
        if (pads->open[slot].id >= 0) closeDevice(slot);
    delete pads;
    pads = nullptr;
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}
