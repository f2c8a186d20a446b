#pragma once
// What the desktop adds around an ordinary window: the title bar and the
// borders that the game's window in --window mode gets too, so that the
// setup offers only the window sizes that fit whole in the free area.

struct WindowFrame {
    int width = 0;   // left and right borders
    int height = 0;  // title bar and bottom border
};

// The frame the X11 window manager gives an ordinary window, asked of it
// without showing one (_NET_REQUEST_FRAME_EXTENTS). No frame when there is
// no X display, or its window manager does not say within a moment.
WindowFrame x11WindowFrame();
