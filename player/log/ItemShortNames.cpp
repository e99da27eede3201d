#include "log/ItemShortNames.h"

#include <array>
#include <charconv>

namespace orvane {
namespace {

constexpr std::array<ShortNameEntry, 19> kItems{{
    {"rpm", 33},     {"tps", 23},      {"ipw", 41},      {"knock", 38},      {"timing", 6},
    {"coolant", 7},  {"air_temp", 58}, {"maf", 26},      {"air_volume", 44}, {"o2", 19},
    {"o2_trim", 15}, {"trim_low", 12}, {"trim_mid", 13}, {"trim_high", 14},  {"battery", 20},
    {"baro", 21},    {"isc", 22},      {"egr", 18},      {"accel", 29},
}};

constexpr std::array<std::pair<SwitchKind, std::string_view>, 5> kSwitches{{
    {SwitchKind::Idle, "idle"},
    {SwitchKind::Power, "power"},
    {SwitchKind::Ac, "ac"},
    {SwitchKind::Tdc, "tdc"},
    {SwitchKind::AcRelay, "ac_relay"},
}};

}  // namespace

std::string ShortItemName(std::int16_t code) {
    for (const ShortNameEntry& item : kItems) {
        if (item.Code == code) return std::string(item.Name);
    }
    return "c" + std::to_string(code);
}

std::optional<std::int16_t> ItemCodeOfShortName(std::string_view name) noexcept {
    for (const ShortNameEntry& item : kItems) {
        if (item.Name == name) return item.Code;
    }
    // "c" and plain digits, without a sign or leading zeros ("c07" would be a second
    // name for "c7").
    if (name.size() < 2 || name.front() != 'c') return std::nullopt;
    const std::string_view digits = name.substr(1);
    if (digits.size() > 1 && digits.front() == '0') return std::nullopt;
    if (digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    int code = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), code);
    if (error != std::errc() || end != digits.data() + digits.size() || code > 32767) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(code);
}

std::string_view SwitchShortName(SwitchKind kind) noexcept {
    for (const auto& [k, name] : kSwitches) {
        if (k == kind) return name;
    }
    return {};
}

std::optional<SwitchKind> SwitchOfShortName(std::string_view name) noexcept {
    for (const auto& [kind, n] : kSwitches) {
        if (n == name) return kind;
    }
    return std::nullopt;
}

std::span<const ShortNameEntry> NamedItems() noexcept {
    return kItems;
}

}  // namespace orvane
