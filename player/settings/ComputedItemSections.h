#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/ComputedItemDefinition.h"

namespace orvane {

// The computed items of the settings file, one section each, numbered from 1:
//
//   [Computed1]
//   Name=Inj duty
//   Unit=%
//   Formula=ipw * rpm / 1200
//   Min=0
//   Max=100
//
// Name and Formula are needed; Unit is empty and Min and Max (the scale) are the range
// of the item's values in the log when left out. Sections [Computed1] to
// [Computed99] are read, whichever of them the file has.
struct ComputedItemSections {
    static constexpr int MaxSections = 99;

    // The usable sections' items, in the order of their numbers.
    std::vector<ComputedItemDefinition> Items;
    // One line per section that was skipped, and why: "[Computed2] skipped: it has no
    // Formula". The formula itself is checked where it is compiled.
    std::vector<std::string> Notes;
};

// Reads the sections from the settings file (`fileName` as for ReadSetting). A section
// is skipped when it lacks a Name or a Formula, when its Formula fills a whole setting
// (254 bytes, so it may have been cut), when Min or Max is not a number or Min is not
// below Max, or when an earlier section has the same Name.
ComputedItemSections ReadComputedItemSections(std::string_view fileName = "");

// Writes `item` to the first [ComputedN] section the file does not have yet, all its
// keys in one replacement of the file (Unit, Min and Max only when given), and returns
// N. nullopt with the reason in `error` when the item could not be read back as it is
// (a Name or Formula missing or too long for a setting, Min not below Max, the Name of
// an existing section), all sections are taken, or the file could not be written.
std::optional<int> AddComputedItemSection(const ComputedItemDefinition& item, std::string& error,
                                          std::string_view fileName = "");

}  // namespace orvane
