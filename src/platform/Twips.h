// Positions are stored in twips: 15 to a device-independent pixel.
#pragma once

#include <cmath>

namespace tresslin {

inline constexpr int kTwipsPerPixel = 15;
inline int twipsToPixels(double twips) {
    return int(std::lround(twips / kTwipsPerPixel));
}
inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

}  // namespace tresslin
