#pragma once

#include <QColor>
#include <cstdint>

#include "analysis/LogMap.h"

namespace orvane {

// The colours of a map's cells: a value between Low and High maps to a colour of one of
// two scales.
//  - Perceptual (viridis-like, dark blue to yellow): evenly bright steps, readable by
//    most colour-blind users, and in grey print; for means, minima and counts.
//  - Green-yellow-red: for the maxima of items whose high values are the harmful ones
//    (knock sum and the coolant, intake air and EGR temperatures), where a tuner looks
//    for the red cells.
//  - Diverging (blue, white, red): for differences, centred on zero, from Low = -L to
//    High = +L. Blue and red stay apart for red-green colour-blind eyes, and the light
//    middle tells "no change" from both; each side darkens steadily towards its end.
class MapColourScale {
public:
    enum class Kind { Perceptual, GreenYellowRed, Diverging };

    MapColourScale() = default;
    MapColourScale(Kind kind, double low, double high) : kind_(kind), low_(low), high_(high) {}

    // The scale for the cells' values of item `code` under `statistic`, over the values
    // from `low` to `high`.
    static MapColourScale For(std::int16_t code, MapStatistic statistic, double low, double high);
    // The scale of differences whose largest magnitude is `largest`: zero in the middle.
    static MapColourScale Diverging(double largest);

    Kind ScaleKind() const noexcept { return kind_; }
    double Low() const noexcept { return low_; }
    double High() const noexcept { return high_; }

    // The colour of `value`; values outside Low..High take the colour of the nearer end.
    // When Low equals High every value takes the low end's colour, or on the diverging
    // scale the middle's (all differences are zero).
    QColor ColourOf(double value) const;
    // The colour at `fraction` (0 the low end, 1 the high end) of the scale.
    QColor ColourAt(double fraction) const;
    // Black or white, whichever reads better on `background`.
    static QColor TextColourOn(const QColor& background);

private:
    Kind kind_ = Kind::Perceptual;
    double low_ = 0;
    double high_ = 0;
};

}  // namespace orvane
