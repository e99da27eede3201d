#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Expression.h"
#include "log/ComputedItemDefinition.h"

namespace orvane {

// A computed item with its formula compiled.
class ComputedItem {
public:
    // nullopt with the reason in `error` when the formula cannot be used (see
    // Expression::Compile).
    static std::optional<ComputedItem> Compile(ComputedItemDefinition definition,
                                               ExpressionError& error);

    // Compiles every definition; one whose formula cannot be used is left out, with a
    // line in `notes`: "computed item "Inj duty" skipped: Unexpected end of expression
    // at position 11".
    static std::vector<ComputedItem> CompileAll(std::span<const ComputedItemDefinition> items,
                                                std::vector<std::string>& notes);

    const ComputedItemDefinition& Definition() const noexcept { return definition_; }
    const std::string& Name() const noexcept { return definition_.Name; }
    const Expression& Formula() const noexcept { return formula_; }

    // A value as computed items are shown: two decimals ("12.30", "-0.50", "3125.00"),
    // rounded as the value boxes round; empty for no value (NaN).
    static std::string ValueText(double value);

    // The same followed by the unit, as a value box shows it ("12.30%"); empty for no
    // value.
    std::string DisplayText(double value) const;

private:
    ComputedItem(ComputedItemDefinition definition, Expression formula)
        : definition_(std::move(definition)), formula_(std::move(formula)) {}

    ComputedItemDefinition definition_;
    Expression formula_;
};

}  // namespace orvane
