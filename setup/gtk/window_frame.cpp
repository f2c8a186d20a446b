#include "setup/gtk/window_frame.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>

namespace {
constexpr std::chrono::milliseconds kAnswerWait{500};

bool supports(Display* display, Atom feature) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const Atom supported = XInternAtom(display, "_NET_SUPPORTED", False);
    bool found = false;
    if (XGetWindowProperty(display, DefaultRootWindow(display), supported, 0, 4096, False, XA_ATOM, &type, &format,
                           &count, &after, &data) == Success && type == XA_ATOM && format == 32) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !found; ++i) found = atoms[i] == feature;
    }
    if (data != nullptr) XFree(data);
    return found;
}

// The four extents (left, right, top, bottom) once the window has them.
bool readExtents(Display* display, Window window, Atom extents, long* sides) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    bool read = XGetWindowProperty(display, window, extents, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                                   &data) == Success && type == XA_CARDINAL && format == 32 && count == 4;
    if (read)
        for (int i = 0; i < 4; ++i) sides[i] = reinterpret_cast<const long*>(data)[i];
    if (data != nullptr) XFree(data);
    return read;
}

// Waits for the window manager to set the extents, up to kAnswerWait.
bool awaitExtents(Display* display, Window window, Atom extents, long* sides) {
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    while (!readExtents(display, window, extents, sides)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
        pollfd connection = {ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left.count()));
    }
    return true;
}
}  // namespace

WindowFrame x11WindowFrame() {
    WindowFrame frame;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return frame;
    const Atom request = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    if (supports(display, request)) {
        const Window root = DefaultRootWindow(display);
        XSetWindowAttributes attributes = {};
        attributes.event_mask = PropertyChangeMask;
        const Window window = XCreateWindow(display, root, 0, 0, 640, 480, 0, CopyFromParent, InputOutput,
                                            CopyFromParent, CWEventMask, &attributes);
        XEvent ask = {};
        ask.xclient.type = ClientMessage;
        ask.xclient.window = window;
        ask.xclient.message_type = request;
        ask.xclient.format = 32;
        XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ask);
        XFlush(display);
        long sides[4] = {};
        if (awaitExtents(display, window, extents, sides)) {
            frame.width = static_cast<int>(sides[0] + sides[1]);
            frame.height = static_cast<int>(sides[2] + sides[3]);
        }
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
    return frame;
}
