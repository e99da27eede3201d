#include "log/modOrvane.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orvane {
namespace {

// Linear interpolation between T[i] at 16*i and T[i+1] at 16*(i+1), minus the offset.
double Interpolate(const std::array<std::uint8_t, 17>& table, std::uint8_t raw,
                   int offset) noexcept {
    const int i = raw / 16;
    const int f = raw % 16;
    const int a = table[i];
    const int d = a - table[i + 1];
    return a - static_cast<double>(f * d) * 0.0625 - offset;
}

// The physical value of a raw byte. The constants are the doubles nearest to the
// decimals; the raw byte is turned into a double and multiplied by the constant,
// except where an exact integer product is formed first.
using Formula = double (*)(std::uint8_t raw) noexcept;

struct CatalogueEntry {
    std::uint8_t code;
    std::string_view name;
    std::string_view unit;
    Formula convert;  // none: the item converts to 0 (the switch bytes, items without one)
};

constexpr double Plain(std::uint8_t x) noexcept {
    return x;
}
constexpr double FuelTrim(std::uint8_t x) noexcept {
    return x * 0.78;
}
constexpr double Percent(std::uint8_t x) noexcept {
    return static_cast<double>(100 * static_cast<int>(x)) / 255;
}

// One row per item code: what the code is called, its unit and how its byte converts.
constexpr CatalogueEntry kCatalogue[] = {
    {0x00, "Switch status2", "", nullptr},
    {0x02, "Switch status", "", nullptr},
    {0x06, "Timing advance", "deg", [](std::uint8_t x) noexcept -> double { return -10 * x; }},
    {0x07, "Coolant temp", "c",
     [](std::uint8_t x) noexcept { return Interpolate(CoolantTempTable, x, 80); }},
    {0x0C, "Fuel trim low", "%", FuelTrim},
    {0x0D, "Fuel trim middle", "%", FuelTrim},
    {0x0E, "Fuel trim high", "%", FuelTrim},
    {0x0F, "Oxygen Feedback Trim", "%", FuelTrim},
    {0x12, "EGR temp", "c", [](std::uint8_t x) noexcept { return x * -1.5 + 314.2; }},
    {0x13, "O2 sensor", "V", [](std::uint8_t x) noexcept { return x * 0.0195; }},
    {0x14, "Battery", "V", [](std::uint8_t x) noexcept { return x * 0.0733; }},
    {0x15, "Barometer", "bar", [](std::uint8_t x) noexcept { return x * 0.00486; }},
    {0x16, "ISC position", "", Plain},
    {0x17, "Throttle position", "%", Percent},
    {0x1A, "Mass air flow", "Hz", [](std::uint8_t x) noexcept { return x * 6.29; }},
    {0x1D, "Accel enrichment", "%", Percent},
    {0x21, "Engine speed", "rpm", [](std::uint8_t x) noexcept { return std::floor(x * 31.25); }},
    {0x26, "Knock sum", "", Plain},
    {0x29, "Inj pulse width", "ms", [](std::uint8_t x) noexcept { return x * 0.256; }},
    {0x2C, "Air Volume", "", Plain},
    {0x3A, "Air temp", "c",
     [](std::uint8_t x) noexcept { return Interpolate(AirTempTable, x, 60); }},
    {0x3E, "O2 sensor (rear)", "", nullptr},
    {0xFF, "Inj duty cycle", "", nullptr},
};

// Row of each code in kCatalogue, or -1. A code listed twice does not compile.
constexpr std::array<std::int8_t, 256> kRowOfCode = [] {
    std::array<std::int8_t, 256> rows{};
    rows.fill(-1);
    for (std::size_t i = 0; i < std::size(kCatalogue); ++i) {
        if (rows[kCatalogue[i].code] != -1) throw "item code listed twice";
        rows[kCatalogue[i].code] = static_cast<std::int8_t>(i);
    }
    return rows;
}();

const CatalogueEntry* FindEntry(int code) noexcept {
    if (!IsByteCode(code)) return nullptr;
    const int row = kRowOfCode[static_cast<std::size_t>(code)];
    return row < 0 ? nullptr : &kCatalogue[row];
}

}  // namespace

double ConvertValue(std::uint8_t code, std::uint8_t raw) noexcept {
    const CatalogueEntry* entry = FindEntry(code);
    return entry != nullptr && entry->convert != nullptr ? entry->convert(raw) : 0;
}

std::string_view SensorName(std::int16_t code) noexcept {
    const CatalogueEntry* entry = FindEntry(code);
    return entry != nullptr ? entry->name : std::string_view();
}

std::string_view SensorUnit(std::int16_t code) noexcept {
    const CatalogueEntry* entry = FindEntry(code);
    return entry != nullptr ? entry->unit : std::string_view();
}

std::size_t FormatValueTo(char* out, double value) noexcept {
    char* p = out;
    if (!std::isfinite(value)) {
        // Never produced by the catalogue; keep the text well defined anyway.
        const char* text = std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity");
        const std::size_t n = std::strlen(text);
        std::memcpy(out, text, n);
        return n;
    }
    if (value == std::floor(value)) {
        if (std::fabs(value) < 9.2e18) {
            const auto whole = static_cast<long long>(value);
            return static_cast<std::size_t>(std::to_chars(p, p + FormatValueMaxLength, whole).ptr -
                                            p);
        }
        // Too large for an integer: fixed notation without decimals is still whole digits,
        // but may be longer than the buffer; the catalogue never gets near this.
        return static_cast<std::size_t>(
            std::to_chars(p, p + FormatValueMaxLength, value, std::chars_format::scientific, 14)
                .ptr -
            p);
    }

    // Take the value to 15 significant digits: d.dddddddddddddde±XX.
    char sci[40];
    const auto res =
        std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 14);
    const char* e = std::find(sci, res.ptr, 'e');
    int exponent = 0;
    std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), res.ptr, exponent);

    // The 15 digits as an integer mantissa: value = digits * 10^(exponent - 14).
    char digits[15];
    digits[0] = sci[0];
    std::memcpy(digits + 1, sci + 2, 14);

    // Digits at and after the second decimal: position of the units digit is `exponent`
    // counting from the first digit; hundredths are at exponent + 2.
    const int keep = exponent + 3;  // number of leading digits kept (up to hundredths)
    // Accumulate the kept digits into an integer count of hundredths, rounding half away.
    unsigned long long hundredths = 0;
    bool roundUp = false;
    if (keep > 0) {
        for (int i = 0; i < keep && i < 15; ++i) hundredths = hundredths * 10 + (digits[i] - '0');
        for (int i = 15; i < keep; ++i) hundredths *= 10;
        if (keep < 15) roundUp = digits[keep] >= '5';
    } else if (keep == 0) {
        roundUp = digits[0] >= '5';
    }
    if (roundUp) ++hundredths;

    if (value < 0) *p++ = '-';
    p = std::to_chars(p, p + 24, hundredths / 100).ptr;
    *p++ = '.';
    const unsigned frac = static_cast<unsigned>(hundredths % 100);
    *p++ = static_cast<char>('0' + frac / 10);
    *p++ = static_cast<char>('0' + frac % 10);
    return static_cast<std::size_t>(p - out);
}

std::string FormatValue(double value) {
    char buffer[FormatValueMaxLength];
    return std::string(buffer, FormatValueTo(buffer, value));
}

bool SwitchIsOn(SwitchKind kind, std::uint8_t statusByte) noexcept {
    switch (kind) {
        case SwitchKind::Idle:
            return (statusByte & 0x80) != 0;
        case SwitchKind::Power:
            return (statusByte & 0x08) != 0;
        case SwitchKind::Ac:
            return (statusByte & 0x10) == 0;
        case SwitchKind::Tdc:
            return (statusByte & 0x04) != 0;
        case SwitchKind::AcRelay:
            return (statusByte & 0x20) == 0;
    }
    return false;
}

int SwitchItemCode(SwitchKind kind) noexcept {
    return kind == SwitchKind::AcRelay ? SwitchStatus2Code : SwitchStatusCode;
}

std::string_view SwitchLabel(SwitchKind kind) noexcept {
    switch (kind) {
        case SwitchKind::Idle:
            return "Idle-SW";
        case SwitchKind::Power:
            return "Power-SW";
        case SwitchKind::Ac:
            return "AC-SW";
        case SwitchKind::Tdc:
            return "TDC";
        case SwitchKind::AcRelay:
            return "AC-Relay";
    }
    return {};
}

}  // namespace orvane
