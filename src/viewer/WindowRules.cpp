#include "viewer/WindowRules.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "book/mdlDeclarations.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

double percentage(std::int32_t curLine, std::int32_t maxLine) {
    if (maxLine < 1) return 100.0;
    return double(curLine) * 100.0 / double(maxLine);
}

std::string formatPercent(double percent, std::string_view decimalPoint) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", percent);
    std::string s(buf);
    const auto dot = s.find('.');
    if (dot != std::string::npos) s.replace(dot, 1, decimalPoint);
    return s;
}

std::optional<std::int32_t> parseLineJump(std::string_view text, std::int32_t maxLine) {
    const auto v = parseDecimal(text);
    if (!v) return std::nullopt;
    const double r = std::nearbyint(*v);  // the default rounding: to nearest, ties to even
    if (r < 1.0 || r > double(maxLine) + 1.0) return std::nullopt;
    // Line maxLine + 1 may be 2^31, one past the 32-bit range before the subtraction.
    return std::int32_t(std::int64_t(r) - 1);
}

std::string versionCaption() {
    return std::string(kAppTitle) + " v." + kVersionText;
}

int WheelSteps::add(int angleDelta) {
    constexpr int kNotch = 120;
    if ((angleDelta > 0 && pending_ < 0) || (angleDelta < 0 && pending_ > 0)) pending_ = 0;
    pending_ += angleDelta;
    const int steps = pending_ / kNotch;
    pending_ -= steps * kNotch;
    return steps;
}

bool onSomeScreen(const DeskRect& frame, std::span<const DeskRect> screens) {
    if (screens.empty()) return true;
    // Edges as 64-bit sums: a stored place may be near the ends of the int range.
    const auto overlaps = [&](const DeskRect& s) {
        return std::int64_t(frame.x) < std::int64_t(s.x) + s.width &&
               std::int64_t(s.x) < std::int64_t(frame.x) + frame.width &&
               std::int64_t(frame.y) < std::int64_t(s.y) + s.height &&
               std::int64_t(s.y) < std::int64_t(frame.y) + frame.height;
    };
    return frame.width > 0 && frame.height > 0 &&
           std::any_of(screens.begin(), screens.end(), overlaps);
}

std::optional<DeskPoint> bringBackOnScreen(const DeskRect& frame, std::span<const DeskRect> screens,
                                           std::span<const DeskRect> areas) {
    if (onSomeScreen(frame, screens) || areas.empty()) return std::nullopt;
    // The start on one axis that keeps [start, start + size) inside the area, as near as can be.
    const auto clampAxis = [](int start, int size, int areaStart, int areaSize) {
        const std::int64_t last = std::int64_t(areaStart) + areaSize - size;
        return int(std::max<std::int64_t>(areaStart, std::min<std::int64_t>(start, last)));
    };
    std::optional<DeskPoint> best;
    double bestDistance = 0;
    for (const DeskRect& a : areas) {
        const DeskPoint p{clampAxis(frame.x, frame.width, a.x, a.width),
                          clampAxis(frame.y, frame.height, a.y, a.height)};
        // In doubles: the square of a difference of two ints may not fit in 64 bits.
        const double dx = double(p.x) - frame.x;
        const double dy = double(p.y) - frame.y;
        const double distance = dx * dx + dy * dy;
        if (!best || distance < bestDistance) {
            best = p;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace tresslin
