#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/modOrvane.h"

namespace orvane {

// A name a formula may use, and what it stands for at a sample:
//
//   rpm, tps, ipw, ... c<code>   the item's value as the value box converts it
//   idle, power, ac, tdc, ac_relay   the switch: 1 when on, 0 when off
//   any of these + "_prev"        the same at the sample before (at the log's first
//                                 sample: its own value)
//   t                             seconds since the log's first sample
//   dt                            seconds since the sample before (0 at the first)
//
// The item names are those of log/ItemShortNames.h.
struct ExpressionName {
    enum class Kind { Item, Switch, Time, Gap };

    Kind What = Kind::Item;
    std::int16_t Code = -1;                // Item: the item code
    SwitchKind Switch = SwitchKind::Idle;  // Switch
    bool Previous = false;                 // the "_prev" form

    // The item code of the slot the value is read from: the item's own, or the
    // switch-status byte's; -1 for t and dt.
    std::int16_t SourceCode() const noexcept;

    friend bool operator==(const ExpressionName&, const ExpressionName&) = default;
};

// What `name` stands for; nullopt for a name a formula cannot use.
std::optional<ExpressionName> ParseExpressionName(std::string_view name) noexcept;

// The name as a formula writes it ("rpm_prev"; items without a name of their own as
// "c<code>").
std::string ExpressionNameText(const ExpressionName& name);

}  // namespace orvane
