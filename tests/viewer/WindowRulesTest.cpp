#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "viewer/WindowRules.h"

using namespace tresslin;

TEST(LineJump, TypedLineToIndexOrRefused) {  // a book of lines 1 to 10
    const std::pair<const char*, std::optional<std::int32_t>> rows[] = {
        {"5", 4},    {" 7 ", 6}, {"2.5", 1}, {"3.5", 3},    {"1e1", 9},
        {"10", 9},   {"0", {}},  {"11", {}}, {"3x5", {}},   {"4 5", {}},
        {"abc", {}}, {"", {}},   {"-1", {}}, {"1e400", {}}, {"1e-400", {}}};
    for (const auto& [text, want] : rows) EXPECT_EQ(parseLineJump(text, 9), want) << text;
}

TEST(WindowPlace, OffEveryScreenComesBackToTheNearestEdge) {
    const DeskRect left{0, 0, 1920, 1080}, right{1920, 0, 1280, 1024};
    const DeskRect panel{0, 30, 1920, 1050};  // left without its top panel
    const std::vector<DeskRect> one{left}, two{left, right};
    using P = std::optional<std::pair<int, int>>;
    const struct {
        DeskRect frame;
        std::vector<DeskRect> screens, areas;
        P want;
    } cases[] = {
        {{-390, 100, 400, 40}, one, one, std::nullopt},  // partly on a screen
        {{2500, 900, 400, 40}, two, two, std::nullopt},
        {{2500, 900, 400, 40}, one, one, P{{1520, 900}}},   // its screen unplugged
        {{1920, 10, 400, 40}, one, one, P{{1520, 10}}},     // touching is not on
        {{2000, 1500, 400, 40}, two, two, P{{2000, 984}}},  // the nearer of two
        {{300, -200, 400, 40}, one, {panel}, P{{300, 30}}},
        {{5000, 0, 4000, 40}, one, one, P{{0, 0}}},  // larger than the screen
        {{-5000, -5000, 400, 40}, {}, {}, std::nullopt},
        {{INT32_MAX - 10, INT32_MIN, 400, 40}, one, one, P{{1520, 0}}},
    };
    for (const auto& c : cases) {
        const auto got = bringBackOnScreen(c.frame, c.screens, c.areas);
        EXPECT_EQ(got ? P(std::pair(got->x, got->y)) : std::nullopt, c.want) << c.frame.x;
    }
}
