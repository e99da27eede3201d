#include "views/map/MapColourScale.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orvane {
namespace {

struct Stop {
    int r, g, b;
};

// Viridis at nine even steps.
constexpr std::array<Stop, 9> kPerceptual = {{{68, 1, 84},
                                              {71, 44, 122},
                                              {59, 82, 139},
                                              {44, 114, 142},
                                              {33, 145, 140},
                                              {40, 174, 128},
                                              {94, 201, 98},
                                              {173, 220, 48},
                                              {253, 231, 37}}};

// Red-blue at nine steps from ColorBrewer's colour-blind-safe diverging set, blue for
// the negative end, its light grey middle at exactly one half.
constexpr std::array<Stop, 9> kDiverging = {{{33, 102, 172},
                                             {67, 147, 195},
                                             {146, 197, 222},
                                             {209, 229, 240},
                                             {247, 247, 247},
                                             {253, 219, 199},
                                             {244, 165, 130},
                                             {214, 96, 77},
                                             {178, 24, 43}}};

constexpr std::array<Stop, 5> kGreenYellowRed = {
    {{26, 150, 65}, {140, 205, 90}, {250, 222, 60}, {244, 135, 48}, {215, 25, 28}}};

template <std::size_t N>
QColor Interpolate(const std::array<Stop, N>& stops, double fraction) {
    const double at = std::clamp(fraction, 0.0, 1.0) * static_cast<double>(N - 1);
    const std::size_t i = std::min(static_cast<std::size_t>(at), N - 2);
    const double f = at - static_cast<double>(i);
    const auto mix = [f](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
    const Stop& a = stops[i];
    const Stop& b = stops[i + 1];
    return QColor(mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b));
}

constexpr std::int16_t kCoolantTemp = 7;
constexpr std::int16_t kEgrTemp = 18;
constexpr std::int16_t kKnockSum = 38;
constexpr std::int16_t kAirTemp = 58;

// Knock sum and the temperatures (coolant, intake air, EGR): the items whose maximum is
// the warning sign.
bool HigherIsWorse(std::int16_t code) noexcept {
    return code == kKnockSum || code == kCoolantTemp || code == kAirTemp || code == kEgrTemp;
}

}  // namespace

MapColourScale MapColourScale::For(std::int16_t code, MapStatistic statistic, double low,
                                   double high) {
    const Kind kind = statistic == MapStatistic::Max && HigherIsWorse(code) ? Kind::GreenYellowRed
                                                                            : Kind::Perceptual;
    return MapColourScale(kind, low, high);
}

MapColourScale MapColourScale::Diverging(double largest) {
    const double magnitude = std::isfinite(largest) ? std::fabs(largest) : 0;
    return MapColourScale(Kind::Diverging, -magnitude, magnitude);
}

QColor MapColourScale::ColourOf(double value) const {
    if (!(high_ > low_)) return ColourAt(kind_ == Kind::Diverging ? 0.5 : 0);
    return ColourAt((value - low_) / (high_ - low_));
}

QColor MapColourScale::ColourAt(double fraction) const {
    if (std::isnan(fraction)) fraction = 0;
    switch (kind_) {
        case Kind::GreenYellowRed:
            return Interpolate(kGreenYellowRed, fraction);
        case Kind::Diverging:
            return Interpolate(kDiverging, fraction);
        case Kind::Perceptual:
            break;
    }
    return Interpolate(kPerceptual, fraction);
}

QColor MapColourScale::TextColourOn(const QColor& background) {
    // Relative luminance of the sRGB colour, roughly; the crossing point where black and
    // white text contrast equally lies near 0.18.
    const auto linear = [](int channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double luminance = 0.2126 * linear(background.red()) +
                             0.7152 * linear(background.green()) +
                             0.0722 * linear(background.blue());
    return luminance > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
}

}  // namespace orvane
