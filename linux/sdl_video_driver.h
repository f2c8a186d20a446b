#pragma once
// The video driver the game and its setup both ask SDL for, so that the
// setup offers exactly the display modes the game will accept.

// A Wayland session (WAYLAND_DISPLAY set) gets SDL's wayland driver first,
// X11 through Xwayland only when it fails (SDL 2 alone would take X11, whose
// emulated modes on a scaled output are not the wayland driver's); a
// player's own SDL_VIDEODRIVER still decides. Before SDL's video starts.
void preferWaylandDriver();
