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

// Why an item read as `item` cannot be used after the `earlier` ones; empty when it can.
std::string ItemProblem(const ComputedItemDefinition& item,
                        const std::vector<ComputedItemDefinition>& earlier) {
    if (item.Name.empty()) return "it has no Name";
    if (item.Formula.empty()) return "it has no Formula";
    if (item.Formula.size() >= IniDocument::MaxValueBytes) {
        return "its Formula fills a whole setting (" + std::to_string(IniDocument::MaxValueBytes) +
               " bytes) and may have been cut";
    }
    if (item.Min && item.Max && !(*item.Min < *item.Max)) return "its Min is not below its Max";
    if (std::any_of(earlier.begin(), earlier.end(),
                    [&](const ComputedItemDefinition& other) { return other.Name == item.Name; })) {
        return "an earlier section has the Name \"" + item.Name + "\"";
    }
    return {};
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
        if (ReadBound(section, "Min", fileName, item.Min, problem) &&
            ReadBound(section, "Max", fileName, item.Max, problem)) {
            problem = ItemProblem(item, sections.Items);
        }
        if (!problem.empty()) {
            sections.Notes.push_back("[" + section + "] skipped: " + problem);
            continue;
        }
        sections.Items.push_back(std::move(item));
    }
    return sections;
}

std::optional<int> AddComputedItemSection(const ComputedItemDefinition& item, std::string& error,
                                          std::string_view fileName) {
    const ComputedItemSections before = ReadComputedItemSections(fileName);
    // What the file would not give back as it is: nothing is written then.
    const auto unkept = [](const std::string& text) {
        return text.find_first_of("\r\n") != std::string::npos ||
               (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    };
    error = ItemProblem(item, before.Items);
    if (error.empty() && (unkept(item.Name) || unkept(item.Unit) || unkept(item.Formula))) {
        error = "a Name, Unit or Formula holds no line break and starts and ends with no space";
    }
    if (error.empty() &&
        ((item.Min && !std::isfinite(*item.Min)) || (item.Max && !std::isfinite(*item.Max)))) {
        error = "Min and Max are numbers";
    }
    if (!error.empty()) return std::nullopt;

    int free = 0;
    for (int n = 1; n <= ComputedItemSections::MaxSections && free == 0; ++n) {
        const std::string section = "Computed" + std::to_string(n);
        if (std::none_of(std::begin(kKeys), std::end(kKeys),
                         [&](const char* key) { return SettingPresent(section, key, fileName); })) {
            free = n;
        }
    }
    if (free == 0) {
        error = "all " + std::to_string(ComputedItemSections::MaxSections) +
                " [ComputedN] sections are taken";
        return std::nullopt;
    }
    const std::string section = "Computed" + std::to_string(free);
    std::vector<SettingWrite> keys{{"Name", item.Name}};
    if (!item.Unit.empty()) keys.push_back({"Unit", item.Unit});
    keys.push_back({"Formula", item.Formula});
    if (item.Min) keys.push_back({"Min", SettingText(*item.Min)});
    if (item.Max) keys.push_back({"Max", SettingText(*item.Max)});
    WriteSettings(section, keys, fileName);
    // Read back: the write may have failed, or the file's code page may not hold a
    // character of the texts.
    const ComputedItemSections after = ReadComputedItemSections(fileName);
    if (std::find(after.Items.begin(), after.Items.end(), item) != after.Items.end()) return free;
    error = SettingPresent(section, "Formula", fileName)
                ? "[" + section + "] does not read back as written (the file's code page?)"
                : "the settings file could not be written";
    return std::nullopt;
}

}  // namespace orvane
