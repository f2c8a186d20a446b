#include "linux/sdl_video_driver.h"

#include <SDL.h>
#include <wayland-client.h>

#include <cstdio>
#include <cstring>

namespace {

void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, wl_seat_interface.name) == 0) *static_cast<bool*>(data) = true;
}
void forgetGlobal(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {noteGlobal, forgetGlobal};

// Whether the compositor offers a seat, from the globals it lists at once.
// One it cannot be asked (no compositor there) is left to SDL, which fails
// cleanly then. WAYLAND_SOCKET is an inherited connection that only one
// client may take: SDL's.
bool compositorHasSeat() {
    if (SDL_getenv("WAYLAND_SOCKET") != nullptr) return true;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return true;
    bool seat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &seat);
    const bool answered = wl_display_roundtrip(display) >= 0;
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return seat || !answered;
}

bool namesWayland(const char* drivers) { return drivers != nullptr && std::strstr(drivers, "wayland") != nullptr; }

}  // namespace

bool chooseVideoDriver(std::string* why) {
    if (SDL_getenv("WAYLAND_DISPLAY") == nullptr) return true;
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (asked != nullptr && !namesWayland(asked)) return true;
    if (compositorHasSeat()) {
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
        return true;
    }
    const char* display = SDL_getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        *why = "the Wayland compositor has no seat (no keyboard or pointer), and there is no X11 display to use instead";
        return false;
    }
    if (asked != nullptr)
        std::fprintf(stderr, "the Wayland compositor has no seat (no keyboard or pointer): X11 is used instead\n");
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "x11", SDL_HINT_OVERRIDE);
    return true;
}
