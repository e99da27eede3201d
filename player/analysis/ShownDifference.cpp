#include "analysis/ShownDifference.h"

#include <charconv>

#include "analysis/ComputedItem.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

double Shown(double value) {
    const std::string text = FormatValue(value);
    double shown = value;
    std::from_chars(text.data(), text.data() + text.size(), shown);
    return shown;
}

}  // namespace

std::string ShownDifference(double figure, double reference, bool twoDecimals) {
    const double difference = Shown(figure) - Shown(reference);
    std::string text = twoDecimals ? ComputedItem::ValueText(difference) : FormatValue(difference);
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

}  // namespace orvane
