#include <gtest/gtest.h>

#include "platform/WindowOptions.h"

namespace tresslin {
namespace {

TEST(WindowOptions, DisabledOnlyWhereThePlatformCannot) {
    const struct {
        const char* platform;
        bool canStayOnTop, canFade;
    } cases[] = {
        {"xcb", true, true},
        {"wayland", false, false},
        {"wayland-egl", false, false},
        {"offscreen", true, true},
    };
    for (const auto& c : cases) {
        const WindowOptionLimits limits = windowOptionLimits(QString::fromLatin1(c.platform));
        EXPECT_EQ(limits.stayOnTop.isEmpty(), c.canStayOnTop) << c.platform;
        EXPECT_EQ(limits.opacity.isEmpty(), c.canFade) << c.platform;
    }
}

}  // namespace
}  // namespace tresslin
