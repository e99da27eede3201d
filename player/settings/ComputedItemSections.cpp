#include "settings/ComputedItemSections.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "settings/IniDocument.h"
#include "settings/NumberText.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

constexpr const char* kKeys[] = {"Name", "Unit", "Formula", "Min", "Max"};

// A Min or Max: nullopt when left out; false when it is there but no finite number.
bool ReadBound(const std::string& section, const char* key, std::string_view fileName,
               std::optional<double>& bound, std::string& problem) {
    if (!SettingPresent(section, key, fileName)) return true;
    const std::string text = ReadSetting(section, key, "", fileName);
    const auto number = WholeNumber(text);
    if (!number || !std::isfinite(*number)) {
        problem = std::string(key) + " is not a number: \"" + text + "\"";
        return false;
    }
    bound = *number;
    return true;
}

}  // namespace

ComputedItemSections ReadComputedItemSections(std::string_view fileName) {
    ComputedItemSections sections;
    for (int n = 1; n <= ComputedItemSections::MaxSections; ++n) {
        const std::string section = "Computed" + std::to_string(n);
        if (std::none_of(std::begin(kKeys), std::end(kKeys),
                         [&](const char* key) { return SettingPresent(section, key, fileName); })) {
            continue;
        }
        ComputedItemDefinition item;
        item.Name = ReadSetting(section, "Name", "", fileName);
        item.Unit = ReadSetting(section, "Unit", "", fileName);
        item.Formula = ReadSetting(section, "Formula", "", fileName);
        std::string problem;
        if (item.Name.empty()) {
            problem = "it has no Name";
        } else if (item.Formula.empty()) {
            problem = "it has no Formula";
        } else if (item.Formula.size() >= IniDocument::MaxValueBytes) {
            problem = "its Formula fills a whole setting (" +
                      std::to_string(IniDocument::MaxValueBytes) + " bytes) and may have been cut";
        } else if (!ReadBound(section, "Min", fileName, item.Min, problem) ||
                   !ReadBound(section, "Max", fileName, item.Max, problem)) {
        } else if (item.Min && item.Max && !(*item.Min < *item.Max)) {
            problem = "its Min is not below its Max";
        } else if (std::any_of(sections.Items.begin(), sections.Items.end(),
                               [&](const ComputedItemDefinition& earlier) {
                                   return earlier.Name == item.Name;
                               })) {
            problem = "an earlier section has the Name \"" + item.Name + "\"";
        }
        if (!problem.empty()) {
            sections.Notes.push_back("[" + section + "] skipped: " + problem);
            continue;
        }
        sections.Items.push_back(std::move(item));
    }
    return sections;
}

}  // namespace orvane
