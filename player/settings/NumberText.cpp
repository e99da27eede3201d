#include "settings/NumberText.h"

#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/AsciiText.h"

namespace orvane {
namespace {

bool IsBlank(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n';
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

int DigitValue(char c, int base) noexcept {
    int value = 99;
    if (c >= '0' && c <= '9') value = c - '0';
    if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
    if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
    return value < base ? value : -1;
}

// Characters of a text with the blanks left out, read one at a time.
class BlankSkippingCursor {
public:
    explicit BlankSkippingCursor(std::string_view text) : text_(text) { SkipBlanks(); }
    bool AtEnd() const noexcept { return pos_ >= text_.size(); }
    char Peek() const noexcept { return AtEnd() ? '\0' : text_[pos_]; }
    void Next() noexcept {
        ++pos_;
        SkipBlanks();
    }

private:
    void SkipBlanks() noexcept {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) ++pos_;
    }
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Characters of a text taken as they are.
class PlainCursor {
public:
    explicit PlainCursor(std::string_view text) : text_(text) {}
    bool AtEnd() const noexcept { return pos_ >= text_.size(); }
    char Peek() const noexcept { return AtEnd() ? '\0' : text_[pos_]; }
    void Next() noexcept { ++pos_; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// A parsed number and whether it stopped early: `complete` is false when characters
// were left that could not continue the number, or when no digit was read at all.
struct Scan {
    double value = 0;
    bool anyDigit = false;
    bool complete = false;
};

double FromPattern(std::uint64_t value, bool tooLong, double wide) noexcept {
    if (tooLong) return wide;
    if (value <= 0xFFFFFFFFu) {
        return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
    }
    return static_cast<double>(value);
}

template <typename Cursor>
Scan ScanRadix(Cursor& cursor, int base) noexcept {
    Scan scan;
    std::uint64_t value = 0;
    double wide = 0;
    bool tooLong = false;
    const int shift = base == 16 ? 4 : 3;
    for (int digit; (digit = DigitValue(cursor.Peek(), base)) >= 0; cursor.Next()) {
        scan.anyDigit = true;
        wide = wide * base + digit;
        if (value >> (64 - shift) != 0) tooLong = true;
        value = (value << shift) | static_cast<std::uint64_t>(digit);
    }
    scan.value = FromPattern(value, tooLong, wide);
    return scan;
}

// Decimal conversion in the C locale, so "." is the separator whatever the program's
// locale says.
double ParseDecimal(const std::string& digits) noexcept {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(digits.c_str(), nullptr, cLocale);
}

template <typename Cursor>
Scan ScanNumber(Cursor& cursor) noexcept {
    if (cursor.Peek() == '&') {
        cursor.Next();
        const char radix = cursor.Peek();
        Scan scan;
        if (radix == 'H' || radix == 'h' || radix == 'O' || radix == 'o') {
            cursor.Next();
            scan = ScanRadix(cursor, radix == 'H' || radix == 'h' ? 16 : 8);
        }
        scan.complete = scan.anyDigit && cursor.AtEnd();
        return scan;
    }
    std::string digits;
    bool anyDigit = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        digits.push_back(cursor.Peek());
        cursor.Next();
    }
    for (; IsDigit(cursor.Peek()); cursor.Next()) {
        digits.push_back(cursor.Peek());
        anyDigit = true;
    }
    if (cursor.Peek() == '.') {
        digits.push_back('.');
        cursor.Next();
        for (; IsDigit(cursor.Peek()); cursor.Next()) {
            digits.push_back(cursor.Peek());
            anyDigit = true;
        }
    }
    Scan scan;
    scan.anyDigit = anyDigit;
    if (!anyDigit) return scan;
    if (cursor.Peek() == 'E' || cursor.Peek() == 'e') {
        // The exponent counts only with at least one digit; "12E" and "12E+" read as 12.
        std::string exponent = "E";
        cursor.Next();
        if (cursor.Peek() == '+' || cursor.Peek() == '-') {
            exponent.push_back(cursor.Peek());
            cursor.Next();
        }
        bool exponentDigit = false;
        for (; IsDigit(cursor.Peek()); cursor.Next()) {
            exponent.push_back(cursor.Peek());
            exponentDigit = true;
        }
        if (exponentDigit) {
            digits += exponent;
        } else {
            scan.value = ParseDecimal(digits) + 0.0;
            return scan;  // incomplete: the "E" did not continue the number
        }
    }
    scan.value = ParseDecimal(digits) + 0.0;  // + 0.0 turns -0 into 0
    scan.complete = cursor.AtEnd();
    return scan;
}

}  // namespace

double LeadingNumber(std::string_view text) noexcept {
    BlankSkippingCursor cursor(text);
    return ScanNumber(cursor).value;
}

std::optional<double> WholeNumber(std::string_view text) noexcept {
    PlainCursor cursor(Trim(text, " \t"));
    const Scan scan = ScanNumber(cursor);
    if (!scan.complete) return std::nullopt;
    return scan.value;
}

}  // namespace orvane
