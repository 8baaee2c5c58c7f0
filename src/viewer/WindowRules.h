// Small decisions of the window, kept free of widgets so they can be tested on their own.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tresslin {

// Position in the book in percent: 100 when the book has at most one line.
double percentage(std::int32_t curLine, std::int32_t maxLine);
// "##0.00": at least one integer digit, no grouping, two decimals, the given decimal point.
std::string formatPercent(double percent, std::string_view decimalPoint);

// The number typed into the line jump, as a line index, or nothing when the text is not a
// number or the line does not exist. A period is the decimal point; halves go to the even
// neighbour.
std::optional<std::int32_t> parseLineJump(std::string_view text, std::int32_t maxLine);

// Wheel turning in whole steps. A notch is 120 (eighths of a degree); high-resolution wheels
// and touchpads report less per event and step once their sum reaches a notch. Turning the
// other way drops what was left over, so a reversal is felt at once.
class WheelSteps {
  public:
    // Steps for this much more turning: positive away from the user, negative towards.
    int add(int angleDelta);

  private:
    int pending_ = 0;
};

// A rectangle of the desktop in pixels: a window's frame or a screen.
struct DeskRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
struct DeskPoint {
    int x = 0;
    int y = 0;
};

// Whether some part of the frame lies on one of the screens. With no screens to judge by it
// counts as on one, so nothing is moved on a guess.
bool onSomeScreen(const DeskRect& frame, std::span<const DeskRect> screens);
// Where a frame that lies on no screen is put back: inside the nearest of the areas, against the
// edge it was left beyond (its top-left edge when it is larger than the area). Nothing when the
// frame is on a screen already or there are no areas.
std::optional<DeskPoint> bringBackOnScreen(const DeskRect& frame, std::span<const DeskRect> screens,
                                           std::span<const DeskRect> areas);

// The window caption's version text, e.g. "Tresslin v.1.03".
std::string versionCaption();

}  // namespace tresslin
