#include "log/modOrvane.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orvane {
namespace {

struct CatalogueEntry {
    std::int16_t code;
    std::string_view name;
    std::string_view unit;
};

constexpr CatalogueEntry kCatalogue[] = {
    {0x00, "Switch status2", ""},    {0x02, "Switch status", ""},
    {0x06, "Timing advance", "deg"}, {0x07, "Coolant temp", "c"},
    {0x0C, "Fuel trim low", "%"},    {0x0D, "Fuel trim middle", "%"},
    {0x0E, "Fuel trim high", "%"},   {0x0F, "Oxygen Feedback Trim", "%"},
    {0x12, "EGR temp", "c"},         {0x13, "O2 sensor", "V"},
    {0x14, "Battery", "V"},          {0x15, "Barometer", "bar"},
    {0x16, "ISC position", ""},      {0x17, "Throttle position", "%"},
    {0x1A, "Mass air flow", "Hz"},   {0x1D, "Accel enrichment", "%"},
    {0x21, "Engine speed", "rpm"},   {0x26, "Knock sum", ""},
    {0x29, "Inj pulse width", "ms"}, {0x2C, "Air Volume", ""},
    {0x3A, "Air temp", "c"},         {0x3E, "O2 sensor (rear)", ""},
    {0xFF, "Inj duty cycle", ""},
};

const CatalogueEntry* FindEntry(std::int16_t code) noexcept {
    for (const auto& entry : kCatalogue) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

// Linear interpolation between T[i] at 16*i and T[i+1] at 16*(i+1), minus the offset.
double Interpolate(const std::array<std::uint8_t, 17>& table, std::uint8_t raw,
                   int offset) noexcept {
    const int i = raw / 16;
    const int f = raw % 16;
    const int a = table[i];
    const int d = a - table[i + 1];
    return a - static_cast<double>(f * d) * 0.0625 - offset;
}

}  // namespace

double ConvertValue(std::uint8_t code, std::uint8_t raw) noexcept {
    const double x = raw;
    switch (code) {
        case 0x06:
            return -10 * static_cast<int>(raw);
        case 0x07:
            return Interpolate(CoolantTempTable, raw, 80);
        case 0x0C:
        case 0x0D:
        case 0x0E:
        case 0x0F:
            return x * 0.78;
        case 0x12:
            return x * -1.5 + 314.2;
        case 0x13:
            return x * 0.0195;
        case 0x14:
            return x * 0.0733;
        case 0x15:
            return x * 0.00486;
        case 0x16:
        case 0x26:
        case 0x2C:
            return x;
        case 0x17:
        case 0x1D:
            return static_cast<double>(100 * static_cast<int>(raw)) / 255;
        case 0x1A:
            return x * 6.29;
        case 0x21:
            return std::floor(x * 31.25);
        case 0x29:
            return x * 0.256;
        case 0x3A:
            return Interpolate(AirTempTable, raw, 60);
        default:
            return 0;
    }
}

std::string_view SensorName(std::int16_t code) noexcept {
    const auto* entry = FindEntry(code);
    return entry ? entry->name : std::string_view();
}

std::string_view SensorUnit(std::int16_t code) noexcept {
    const auto* entry = FindEntry(code);
    return entry ? entry->unit : std::string_view();
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

}  // namespace orvane
