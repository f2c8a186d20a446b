#pragma once
// The video driver the game and its setup both ask SDL for, so that the
// setup offers exactly the display modes the game will accept.

#include <string>

// A Wayland session (WAYLAND_DISPLAY set) gets SDL's wayland driver first,
// X11 through Xwayland only when it fails (SDL 2 alone would take X11, whose
// emulated modes on a scaled output are not the wayland driver's); a
// player's own SDL_VIDEODRIVER still decides. A compositor without a seat
// (no keyboard or pointer, as weston's headless backend) crashes SDL 2's
// wayland driver as it starts: there X11 is taken where there is one, and
// otherwise the answer is false with the reason in `why`, and SDL's video
// must not start. Before SDL's video starts.
bool chooseVideoDriver(std::string* why);
