// Asks an X window to close the way a window manager does when the user clicks its close button:
// a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW. Destroying the window (what
// `xdotool windowclose` does) or killing its connection is something else, which a program
// cannot answer cleanly.
//
// usage: spintunnel-wm-delete WINDOW_ID   (decimal, or hexadecimal with 0x)
// Exit status: 0 sent, 1 the message could not be sent, 2 usage, 3 the window does not take part
// in WM_DELETE_WINDOW (a window manager would kill its client instead).

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

bool hasProtocol(Display* display, Window window, Atom protocol) {
    Atom* protocols = nullptr;
    int count = 0;
    if (XGetWMProtocols(display, window, &protocols, &count) == 0) {
        return false;
    }
    bool found = false;
    for (int i = 0; i < count; ++i) {
        found = found || protocols[i] == protocol;
    }
    XFree(protocols);
    return found;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long id = std::strtoul(argv[1], &end, 0);
    if (errno != 0 || end == argv[1] || *end != '\0' || id == 0) {
        std::fprintf(stderr, "%s: not a window id: '%s'\n", argv[0], argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "%s: cannot open the display\n", argv[0]);
        return 1;
    }
    const auto window = static_cast<Window>(id);
    const Atom wmProtocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom wmDeleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    if (!hasProtocol(display, window, wmDeleteWindow)) {
        std::fprintf(stderr, "%s: window 0x%lx does not list WM_DELETE_WINDOW in WM_PROTOCOLS\n",
                     argv[0], id);
        XCloseDisplay(display);
        return 3;
    }

    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = wmProtocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(wmDeleteWindow);
    event.xclient.data.l[1] = CurrentTime;
    // No event mask: the message goes to the window's owner alone, as ICCCM has it.
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (sent == 0) {
        std::fprintf(stderr, "%s: could not send to window 0x%lx\n", argv[0], id);
        return 1;
    }
    return 0;
}
