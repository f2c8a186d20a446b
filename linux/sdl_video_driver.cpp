#include "linux/sdl_video_driver.h"

#include <SDL.h>

void preferWaylandDriver() {
    if (SDL_getenv("WAYLAND_DISPLAY") != nullptr) SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}
