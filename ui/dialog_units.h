// Dialog units, the measure the windows' sizes are given in, as pixels. A
// dialog unit is a quarter of the dialog font's average character width
// across and an eighth of its height down; the dialog font of the windows
// (8 points at 96 dots per inch) averages 6 × 13 pixels, so one unit is
// 1.5 pixels across and 1.625 pixels down, rounded to the nearest pixel with
// halves away from zero (235 × 147 units are 353 × 239 pixels).
#pragma once

#include <QSize>

namespace kvn {

inline constexpr int dialogBaseUnitX = 6;
inline constexpr int dialogBaseUnitY = 13;

// round(units × base / divisor), halves away from zero, for units ≥ 0.
constexpr int scaleDialogUnits(int units, int base, int divisor)
{
    return (units * base * 2 + divisor) / (divisor * 2);
}

constexpr int horizontalDialogUnitsToPixels(int units) { return scaleDialogUnits(units, dialogBaseUnitX, 4); }
constexpr int verticalDialogUnitsToPixels(int units) { return scaleDialogUnits(units, dialogBaseUnitY, 8); }

inline QSize dialogUnitsToPixels(int width, int height)
{
    return {horizontalDialogUnitsToPixels(width), verticalDialogUnitsToPixels(height)};
}

} // namespace kvn
