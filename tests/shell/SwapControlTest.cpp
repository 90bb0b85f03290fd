#include "shell/SwapControl.h"
#include "RecordingGl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Extension = SwapControl::Extension;

struct ChoiceCase {
    const char* extensions;
    bool on;
    Extension chosen;
};

class SwapControlChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(SwapControlChoice, PicksWhatTheDriverOffers) {
    const ChoiceCase& c = GetParam();
    EXPECT_EQ(SwapControl::choose(c.extensions, c.on), c.chosen) << c.extensions;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SwapControlChoice,
    ::testing::Values(
        ChoiceCase{"", true, Extension::Nothing},
        ChoiceCase{"GLX_ARB_create_context GLX_EXT_visual_info", true, Extension::Nothing},
        ChoiceCase{"GLX_EXT_swap_control", true, Extension::Ext},
        ChoiceCase{"GLX_EXT_swap_control", false, Extension::Ext},
        ChoiceCase{"GLX_SGI_swap_control GLX_MESA_swap_control", false, Extension::Mesa},
        ChoiceCase{"GLX_SGI_swap_control GLX_MESA_swap_control GLX_EXT_swap_control", true,
                   Extension::Ext},
        ChoiceCase{"GLX_SGI_swap_control", true, Extension::Sgi},
        // SGI's cannot set an interval of 0.
        ChoiceCase{"GLX_SGI_swap_control", false, Extension::Nothing},
        // Names are matched whole, not as prefixes.
        ChoiceCase{"GLX_EXT_swap_control_tear GLX_SGI_swap_control", true, Extension::Sgi},
        ChoiceCase{"GLX_EXT_swap_control_tear", false, Extension::Nothing},
        ChoiceCase{"GLX_MESA_swap_control ", true, Extension::Mesa}));

TEST(SwapControl, WithoutAContextSaysSoAndLeavesTheDriverAlone) {
    gltest::reset();
    std::string message;
    EXPECT_FALSE(SwapControl::set(true, message));
    EXPECT_EQ(message, "cannot switch vertical sync on: the driver offers none of "
                       "GLX_EXT_swap_control, GLX_MESA_swap_control and GLX_SGI_swap_control; "
                       "going on as the driver has it");
    EXPECT_EQ(gltest::count("glXGetProcAddressARB"), 0u);
}

} // namespace
