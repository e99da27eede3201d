#include "DialGeometry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace meter::detail {

namespace {
constexpr double CoordinateLimit = 100000000.0;
constexpr int MaxDecimals = 20;
}  // namespace

int Trunc(double value) noexcept {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp(value, -CoordinateLimit, CoordinateLimit));
}

QPoint PointAt(int cx, int cy, int r, double a) noexcept {
    const double x = static_cast<double>(cx) + static_cast<double>(r) * std::cos(a);
    const double y = static_cast<double>(cy) - static_cast<double>(r) * std::sin(a);
    return {Trunc(x), Trunc(y)};
}

Dial DialFor(const Box& dialBox) noexcept {
    const int h = dialBox.Height();
    Dial dial;
    dial.R = h / 2 - h / 20;
    dial.cx = dialBox.left + dialBox.Width() / 2;
    dial.cy = dialBox.top + h / 2;
    dial.t = dial.R / 10;
    dial.R2 = dial.R + dial.t;
    return dial;
}

Box FitDialBox(const Box& rect) noexcept {
    Box box = rect;
    const int w = rect.Width();
    const int h = rect.Height();
    if (w > 2 * h) {
        box.left = (rect.left + rect.right) / 2 - h;
        box.right = box.left + 2 * h;
        box.bottom = rect.bottom + h;
    } else {
        box.top = (rect.top + rect.bottom) / 2 - (w / 2) / 2;
        box.bottom = box.top + 2 * (w / 2);
    }
    return box;
}

DialArea DialAreaFor(const Box& bounds, LabelMargin margin) noexcept {
    if (bounds.Width() < 2 * margin.a || bounds.Height() < 2 * margin.b) return {bounds, false};
    return {{bounds.left + margin.a, bounds.top + margin.b, bounds.right - margin.a,
             bounds.bottom - margin.b / 2},
            true};
}

double Scale::ValueToAngle(double value) const noexcept {
    const double angle = (1.0 - (value - minValue) / Span()) * Angle::Pi;
    return std::isfinite(angle) ? angle : Angle::Pi;
}

double Scale::NeedleValue(double value) const noexcept {
    if (value > maxValue) return maxValue;
    if (value < minValue) return minValue;
    if (std::isnan(value)) return minValue;
    return value;
}

std::array<QString, 5> ScaleLabels(const Scale& scale, int decimals) {
    const double span = scale.Span();
    return {
        ScaleFormat(scale.maxValue, decimals), ScaleFormat(scale.minValue + span * 0.75, decimals),
        ScaleFormat(scale.minValue + span * 0.5, decimals),
        ScaleFormat(scale.minValue + span * 0.25, decimals), ScaleFormat(scale.minValue, decimals)};
}

QString ScaleFormat(double value, int decimals) {
    // Large enough for any double in fixed notation with MaxDecimals decimals.
    std::array<char, 400> text{};
    const int precision = std::clamp(decimals, 0, MaxDecimals);
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, precision);
    if (result.ec != std::errc{}) return {};
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(result.ptr - text.data()));
}

}  // namespace meter::detail
