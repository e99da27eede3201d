#include "log/DateTime.h"

#include <cmath>

#include "log/LogFormat.h"

namespace orvane {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 of a civil date, and back (Gregorian, any year).
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) noexcept {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

constexpr Civil CivilFromDays(std::int64_t z) noexcept {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {y + (m <= 2), m, d};
}

// 30 December 1899, day 0 of OLE dates.
constexpr std::int64_t kOleEpochDay = DaysFromCivil(1899, 12, 30);

void TwoDigits(char* out, int value) noexcept {
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
}

}  // namespace

std::optional<DateTime> DateTime::FromOleDate(double oleDate) noexcept {
    // The comparisons are false for NaN, so NaN is rejected with the out-of-range values.
    if (!(oleDate > MinOleDay - 1 && oleDate < MaxOleDay + 1)) return std::nullopt;
    const double day = std::trunc(oleDate);
    const double fraction = std::fabs(oleDate - day);
    const auto secondOfDay = static_cast<std::int64_t>(std::llround(fraction * kSecondsPerDay));
    const auto dayNumber = kOleEpochDay + static_cast<std::int64_t>(day);
    return DateTime(dayNumber * kSecondsPerDay + secondOfDay);
}

DateTime DateTime::FromCivil(int year, int month, int day, int hour, int minute,
                             int second) noexcept {
    const std::int64_t days =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
    return DateTime(days * kSecondsPerDay + hour * 3600 + minute * 60 + second);
}

double DateTime::ToOleDate() const noexcept {
    const std::int64_t day = DayNumber() - kOleEpochDay;
    const double fraction = static_cast<double>(SecondOfDay()) / kSecondsPerDay;
    // Before the epoch the fraction still counts forward from midnight of the day.
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

std::int64_t DateTime::DayNumber() const noexcept {
    const std::int64_t q = seconds_ / kSecondsPerDay;
    return (seconds_ % kSecondsPerDay < 0) ? q - 1 : q;
}

int DateTime::SecondOfDay() const noexcept {
    return static_cast<int>(seconds_ - DayNumber() * kSecondsPerDay);
}

int DateTime::Year() const noexcept {
    return static_cast<int>(CivilFromDays(DayNumber()).year);
}
int DateTime::Month() const noexcept {
    return static_cast<int>(CivilFromDays(DayNumber()).month);
}
int DateTime::Day() const noexcept {
    return static_cast<int>(CivilFromDays(DayNumber()).day);
}

void DateTime::FormatDate(char* out) const noexcept {
    const Civil c = CivilFromDays(DayNumber());
    const int yy = static_cast<int>(((c.year % 100) + 100) % 100);
    TwoDigits(out, yy);
    out[2] = '/';
    TwoDigits(out + 3, static_cast<int>(c.month));
    out[5] = '/';
    TwoDigits(out + 6, static_cast<int>(c.day));
}

void DateTime::FormatTime(char* out) const noexcept {
    const int s = SecondOfDay();
    TwoDigits(out, s / 3600);
    out[2] = ':';
    TwoDigits(out + 3, s / 60 % 60);
    out[5] = ':';
    TwoDigits(out + 6, s % 60);
}

std::string DateTime::TimeText() const {
    std::string text(FormattedLength, '\0');
    FormatTime(text.data());
    return text;
}

DateTime SampleTime(const DateTime& start, std::int32_t millis) noexcept {
    return start.AddSeconds(WholeSeconds(millis));
}

}  // namespace orvane
