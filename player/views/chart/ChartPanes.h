#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/ChartSeries.h"
#include "analysis/FormulaSet.h"
#include "analysis/LogOutline.h"

namespace orvane {

// The chart's panes as the settings file keeps them, in a section of their own: one key
// per pane from the top, each naming its series by code (an item code, a switch's
// label, or a computed item's name), for example
//
//   [Chart]
//   Pane1=33,23
//   Pane2=38,Inj duty
//
// The panes end at the first PaneN missing or empty.
class ChartPanes {
public:
    static constexpr const char* SettingsSection = "Chart";
    static constexpr int MaxPanes = 12;

    using Keys = std::vector<std::vector<std::string>>;

    // Engine speed and throttle; knock sum and timing advance; injector pulse width and
    // the O2 sensor; coolant and air temperature.
    static Keys DefaultKeys();

    // The panes of the settings file; nullopt when the section names none, or (with the
    // reason in `problem`) when a pane cannot be read: a code that is neither a number,
    // a switch's label nor a name a computed item can have (a formula's input name such
    // as "rpm" is not one).
    static std::optional<Keys> Read(std::string* problem);
    // Keeps `keys` in the section (emptying the panes after the last).
    static void Write(const Keys& keys);

    // The series of a log the keys name: each pane with the series the log has, panes
    // with none of them left out. Without any, the default panes for the log.
    static std::vector<std::vector<ChartSeries>> ForLog(const Keys& keys,
                                                        const LogOutline& outline);
    // The same with the computed items of `formulas`: a name the log cannot compute (an
    // absent item, or one the set does not have) is left out like a code the log lacks.
    static std::vector<std::vector<ChartSeries>> ForLog(const Keys& keys, const LogOutline& outline,
                                                        const FormulaSet& formulas);

    static Keys KeysOf(const std::vector<std::vector<ChartSeries>>& panes);
};

}  // namespace orvane
