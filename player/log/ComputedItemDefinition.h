#pragma once

#include <optional>
#include <string>

namespace orvane {

// An item computed from the logged ones by a formula ("Inj duty", "%", "ipw * rpm /
// 1200"): what the settings file's [ComputedN] sections and the command line's
// --computed give. Only text and numbers, so that the settings reader and the whole-log
// computations can both hold it; the formula is compiled and checked where it is
// evaluated.
struct ComputedItemDefinition {
    std::string Name;
    std::string Unit;
    std::string Formula;
    // The scale range; either left out means the range of its values in the log.
    std::optional<double> Min;
    std::optional<double> Max;

    friend bool operator==(const ComputedItemDefinition&, const ComputedItemDefinition&) = default;
};

}  // namespace orvane
