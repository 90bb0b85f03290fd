#pragma once

#include <string>
#include <string_view>

// Vertical sync on or off, through whichever GLX swap-control extension the driver offers. Looked
// up at run time: drivers differ in which of the three they have, and some have none.
class SwapControl {
public:
    enum class Extension { Nothing, Ext, Mesa, Sgi };

    // The extension to use, from the driver's space-separated list. GLX_SGI_swap_control can only
    // switch vertical sync on, so for off it is never chosen.
    static Extension choose(std::string_view extensions, bool on);

    // Asks the driver of the current GLX context. On failure returns false with a one-line
    // message; the game goes on as the driver has it.
    static bool set(bool on, std::string& message);
};
