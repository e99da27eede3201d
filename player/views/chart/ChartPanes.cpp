#include "views/chart/ChartPanes.h"

#include <algorithm>
#include <cctype>

#include "analysis/ExpressionName.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

constexpr SwitchKind kSwitches[] = {SwitchKind::Idle, SwitchKind::Power, SwitchKind::Ac,
                                    SwitchKind::Tdc, SwitchKind::AcRelay};

bool IsCode(const std::string& text) {
    if (text.empty() || text.size() > 6) return false;
    std::size_t at = text[0] == '-' ? 1 : 0;
    if (at == text.size()) return false;
    for (; at < text.size(); ++at) {
        if (!std::isdigit(static_cast<unsigned char>(text[at]))) return false;
    }
    return true;
}

bool IsSwitchLabel(const std::string& text) {
    return std::any_of(std::begin(kSwitches), std::end(kSwitches),
                       [&](SwitchKind kind) { return SwitchLabel(kind) == text; });
}

// A computed item may have any name but a formula's input name.
bool IsComputedName(const std::string& text) {
    return !text.empty() && !ParseExpressionName(text);
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string PaneKey(int pane) {
    return "Pane" + std::to_string(pane);
}

}  // namespace

ChartPanes::Keys ChartPanes::DefaultKeys() {
    return {{"33", "23"}, {"38", "6"}, {"41", "19"}, {"7", "58"}};
}

std::optional<ChartPanes::Keys> ChartPanes::Read(std::string* problem) {
    Keys keys;
    for (int pane = 1; pane <= MaxPanes; ++pane) {
        const std::string value = ReadSetting(SettingsSection, PaneKey(pane), "");
        if (value.empty()) break;
        std::vector<std::string> codes;
        std::size_t from = 0;
        while (from <= value.size()) {
            const std::size_t comma = std::min(value.find(',', from), value.size());
            const std::string code = Trimmed(value.substr(from, comma - from));
            if (!IsCode(code) && !IsSwitchLabel(code) && !IsComputedName(code)) {
                if (problem) {
                    *problem = PaneKey(pane) + "=" + value + ": \"" + code +
                               "\" is neither an item code, a switch nor a computed item";
                }
                return std::nullopt;
            }
            if (std::find(codes.begin(), codes.end(), code) == codes.end()) codes.push_back(code);
            from = comma + 1;
        }
        keys.push_back(std::move(codes));
    }
    if (keys.empty()) return std::nullopt;
    return keys;
}

void ChartPanes::Write(const Keys& keys) {
    std::vector<SettingWrite> values;
    for (std::size_t pane = 0; pane < keys.size() && pane < MaxPanes; ++pane) {
        std::string value;
        for (const std::string& code : keys[pane]) value += (value.empty() ? "" : ",") + code;
        values.push_back({PaneKey(static_cast<int>(pane) + 1), value});
    }
    // The pane after the last is emptied, so that panes removed since are not read back.
    const int after = static_cast<int>(values.size()) + 1;
    if (after <= MaxPanes && SettingPresent(SettingsSection, PaneKey(after))) {
        values.push_back({PaneKey(after), ""});
    }
    WriteSettings(SettingsSection, values);
}

std::vector<std::vector<ChartSeries>> ChartPanes::ForLog(const Keys& keys,
                                                         const LogOutline& outline) {
    return ForLog(keys, outline, FormulaSet());
}

std::vector<std::vector<ChartSeries>> ChartPanes::ForLog(const Keys& keys,
                                                         const LogOutline& outline,
                                                         const FormulaSet& formulas) {
    std::vector<std::vector<ChartSeries>> panes;
    for (const auto& pane : keys) {
        std::vector<ChartSeries> series;
        for (const std::string& key : pane) {
            if (const auto found = SeriesByKey(outline, key, formulas)) series.push_back(*found);
        }
        if (!series.empty()) panes.push_back(std::move(series));
    }
    if (panes.empty() && keys != DefaultKeys()) return ForLog(DefaultKeys(), outline, formulas);
    return panes;
}

ChartPanes::Keys ChartPanes::KeysOf(const std::vector<std::vector<ChartSeries>>& panes) {
    Keys keys;
    for (const auto& pane : panes) {
        std::vector<std::string> codes;
        for (const ChartSeries& series : pane) codes.push_back(series.Key());
        keys.push_back(std::move(codes));
    }
    return keys;
}

}  // namespace orvane
