// Stored colour values (0x00BBGGRR, or 0x80000000 + a system colour index) and QColor.
#pragma once

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tresslin {

QColor colorFromValue(std::int32_t value, const QPalette& palette);
// The plain stored value of a colour (its alpha is dropped).
std::int32_t valueFromColor(const QColor& colour);

}  // namespace tresslin
