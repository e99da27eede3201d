#include "analysis/ComputedItem.h"

#include <cmath>

#include "log/modOrvane.h"

namespace orvane {

std::optional<ComputedItem> ComputedItem::Compile(ComputedItemDefinition definition,
                                                  ExpressionError& error) {
    auto formula = Expression::Compile(definition.Formula, error);
    if (!formula) return std::nullopt;
    return ComputedItem(std::move(definition), std::move(*formula));
}

std::vector<ComputedItem> ComputedItem::CompileAll(std::span<const ComputedItemDefinition> items,
                                                   std::vector<std::string>& notes) {
    std::vector<ComputedItem> compiled;
    for (const ComputedItemDefinition& definition : items) {
        ExpressionError error;
        if (auto item = Compile(definition, error)) {
            compiled.push_back(std::move(*item));
        } else {
            notes.push_back("computed item \"" + definition.Name + "\" skipped: " + error.Text());
        }
    }
    return compiled;
}

std::string ComputedItem::ValueText(double value) {
    if (!std::isfinite(value)) return {};
    // The value boxes' text, which leaves whole numbers without decimals.
    std::string text = FormatValue(value);
    if (text.find('.') == std::string::npos) text += ".00";
    return text;
}

std::string ComputedItem::DisplayText(double value) const {
    std::string text = ValueText(value);
    if (!text.empty()) text += definition_.Unit;
    return text;
}

}  // namespace orvane
