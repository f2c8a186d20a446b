// The window manager's answer to a full-screen request, read from the X
// server itself. SDL's own figures right after the request are its wish;
// the server holds what the window manager made of it. Xlib's macros (None,
// Bool, Status...) stay in this file.

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <algorithm>

#include "shell/sdl/sdl_shell.h"

namespace {

bool x11Window(SDL_Window* window, Display** display, ::Window* xWindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    *display = info.info.x11.display;
    *xWindow = info.info.x11.window;
    return true;
}

// The window manager keeps the window's states in _NET_WM_STATE; full
// screen is there only once it has taken the request.
bool stateHoldsFullScreen(Display* display, ::Window window) {
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, state, 0, 64, False, XA_ATOM, &type, &format, &count, &left, &data) !=
        Success)
        return false;
    const bool held = data != nullptr && type == XA_ATOM && format == 32 &&
                      statesHoldFullScreen(reinterpret_cast<const Atom*>(data), count, fullScreen);
    if (data != nullptr) XFree(data);
    return held;
}

}  // namespace

bool statesHoldFullScreen(const unsigned long* states, unsigned long count, unsigned long fullScreen) {
    return std::find(states, states + count, fullScreen) != states + count;
}

bool readWindowManagerAnswer(SDL_Window* window, WindowManagerAnswer* answer) {
    Display* display = nullptr;
    ::Window xWindow = 0, root = 0, child = 0;
    if (!x11Window(window, &display, &xWindow)) return false;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, xWindow, &root, &x, &y, &width, &height, &border, &depth) ||
        !XTranslateCoordinates(display, xWindow, root, 0, 0, &x, &y, &child))
        return false;
    answer->fullScreen = stateHoldsFullScreen(display, xWindow);
    answer->place = SDL_Rect{x, y, static_cast<int>(width), static_cast<int>(height)};
    return true;
}

// The window manager's answer reaches this program as events (a property
// change, a configure): the X connection becomes readable. Events that the
// last round trips brought along are already queued: then no wait at all.
void setWindowTitle(SDL_Window* window, const std::string& title) {
    SDL_SetWindowTitle(window, title.c_str());
    Display* display = nullptr;
    ::Window xWindow = 0;
    if (!x11Window(window, &display, &xWindow)) return;
    for (const Atom name : {XInternAtom(display, "_NET_WM_NAME", False), static_cast<Atom>(XA_WM_NAME)})
        XChangeProperty(display, xWindow, name, XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
    XFlush(display);
}

void awaitDisplayServer(SDL_Window* window, Uint32 milliseconds) {
    Display* display = nullptr;
    ::Window xWindow = 0;
    if (!x11Window(window, &display, &xWindow)) {
        SDL_Delay(milliseconds < 5 ? milliseconds : 5);
        return;
    }
    if (XEventsQueued(display, QueuedAfterFlush) > 0) return;
    pollfd connection = {ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(milliseconds));
}
