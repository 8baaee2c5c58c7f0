#include "platform/Colors.h"

namespace tresslin {

namespace {
// System colour indices and the palette role that plays the same part here.
QPalette::ColorRole roleFor(int index) {
    switch (index) {
        case 0:   // scroll bar
        case 15:  // button face
        case 22:  // 3-D light
            return QPalette::Button;
        case 1:   // desktop
        case 3:   // inactive caption
        case 4:   // menu
        case 7:   // menu text
        case 11:  // inactive border
        case 12:  // application workspace
            return QPalette::Window;
        case 2:   // active caption
        case 13:  // highlight
            return QPalette::Highlight;
        case 5:  // window background
            return QPalette::Base;
        case 6:   // window frame
        case 21:  // 3-D dark shadow
            return QPalette::Shadow;
        case 9:   // caption text
        case 14:  // highlighted text
            return QPalette::HighlightedText;
        case 10:  // active border
        case 20:  // 3-D highlight
            return QPalette::Light;
        case 16:  // button shadow
            return QPalette::Mid;
        case 17:  // grey text
            return QPalette::PlaceholderText;
        case 18:  // button text
            return QPalette::ButtonText;
        case 19:  // inactive caption text
            return QPalette::WindowText;
        case 23:  // tool tip text
            return QPalette::ToolTipText;
        case 24:  // tool tip background
            return QPalette::ToolTipBase;
        case 8:  // window text
        default:
            return QPalette::Text;
    }
}
}  // namespace

QColor colorFromValue(std::int32_t value, const QPalette& palette) {
    const auto v = static_cast<std::uint32_t>(value);
    if (v & 0x80000000u) return palette.color(QPalette::Active, roleFor(int(v & 0xFFFFFFu)));
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

std::int32_t valueFromColor(const QColor& colour) {
    const QColor c = colour.toRgb();
    return std::int32_t(std::uint32_t(c.red()) | (std::uint32_t(c.green()) << 8) |
                        (std::uint32_t(c.blue()) << 16));
}

}  // namespace tresslin
