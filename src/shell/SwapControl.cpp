#include "shell/SwapControl.h"

#include <GL/glx.h>
#include <GL/glxext.h>

namespace {

bool offers(std::string_view extensions, std::string_view name) {
    // Whole names only: GLX_EXT_swap_control_tear is not GLX_EXT_swap_control.
    std::size_t from = 0;
    while (from < extensions.size()) {
        std::size_t end = extensions.find(' ', from);
        if (end == std::string_view::npos) {
            end = extensions.size();
        }
        if (extensions.substr(from, end - from) == name) {
            return true;
        }
        from = end + 1;
    }
    return false;
}

template <typename Function> Function lookUp(const char* name) {
    return reinterpret_cast<Function>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

} // namespace

SwapControl::Extension SwapControl::choose(std::string_view extensions, bool on) {
    if (offers(extensions, "GLX_EXT_swap_control")) {
        return Extension::Ext;
    }
    if (offers(extensions, "GLX_MESA_swap_control")) {
        return Extension::Mesa;
    }
    if (on && offers(extensions, "GLX_SGI_swap_control")) {
        return Extension::Sgi;
    }
    return Extension::Nothing;
}

bool SwapControl::set(bool on, std::string& message) {
    Display* display = glXGetCurrentDisplay();
    const char* extensions =
        display != nullptr ? glXQueryExtensionsString(display, DefaultScreen(display)) : nullptr;
    const int interval = on ? 1 : 0; // swaps wait for this many display refreshes
    const char* used = nullptr;
    bool done = false;
    switch (choose(extensions != nullptr ? extensions : "", on)) {
    case Extension::Ext:
        used = "GLX_EXT_swap_control";
        if (auto swapInterval = lookUp<PFNGLXSWAPINTERVALEXTPROC>("glXSwapIntervalEXT")) {
            swapInterval(display, glXGetCurrentDrawable(), interval);
            done = true;
        }
        break;
    case Extension::Mesa:
        used = "GLX_MESA_swap_control";
        if (auto swapInterval = lookUp<PFNGLXSWAPINTERVALMESAPROC>("glXSwapIntervalMESA")) {
            done = swapInterval(static_cast<unsigned int>(interval)) == 0;
        }
        break;
    case Extension::Sgi:
        used = "GLX_SGI_swap_control";
        if (auto swapInterval = lookUp<PFNGLXSWAPINTERVALSGIPROC>("glXSwapIntervalSGI")) {
            done = swapInterval(interval) == 0;
        }
        break;
    case Extension::Nothing:
        break;
    }
    const std::string goingOn = "; going on as the driver has it";
    if (used == nullptr) {
        message =
            std::string("cannot switch vertical sync ") + (on ? "on" : "off") +
            ": the driver offers none of GLX_EXT_swap_control, GLX_MESA_swap_control" +
            (on ? " and GLX_SGI_swap_control" : " (GLX_SGI_swap_control only switches it on)") +
            goingOn;
    } else if (!done) {
        message = std::string("cannot switch vertical sync ") + (on ? "on" : "off") + ": " + used +
                  " refused" + goingOn;
    }
    return done;
}
