#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

// A wall-clock date and time to the whole second, on the proleptic Gregorian calendar.
// Log headers store the recording start as an OLE Automation date (days since
// 30 December 1899, the fraction being the time of day); sample times are that start
// plus whole seconds, with seconds carrying into minutes, hours, days, months and years.
class DateTime {
public:
    // Earliest and latest whole days an OLE date may have: 1 January 100 and
    // 31 December 9999.
    static constexpr double MinOleDay = -657434;
    static constexpr double MaxOleDay = 2958465;

    constexpr DateTime() noexcept = default;

    // Converts an OLE date. Fails (nullopt) outside 1 January 100 to 31 December 9999,
    // for infinities and for NaN. For a negative date the integer part is the day and
    // the fraction the time of day: -1.25 is 1899-12-29 06:00:00. A fraction of a
    // second rounds to the nearest second.
    static std::optional<DateTime> FromOleDate(double oleDate) noexcept;

    static DateTime FromCivil(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0) noexcept;

    // The OLE date of this time (used by the tools that write logs).
    double ToOleDate() const noexcept;

    DateTime AddSeconds(std::int64_t seconds) const noexcept {
        return DateTime(seconds_ + seconds);
    }

    int Year() const noexcept;
    int Month() const noexcept;
    int Day() const noexcept;
    int Hour() const noexcept { return SecondOfDay() / 3600; }
    int Minute() const noexcept { return SecondOfDay() / 60 % 60; }
    int Second() const noexcept { return SecondOfDay() % 60; }

    // "YY/MM/DD" (year modulo 100) and "HH:MM:SS", 8 characters each, no terminator.
    static constexpr std::size_t FormattedLength = 8;
    void FormatDate(char* out) const noexcept;
    void FormatTime(char* out) const noexcept;
    std::string TimeText() const;

    // Seconds since midnight, 0 to 86399.
    int SecondOfDay() const noexcept;

    friend constexpr bool operator==(DateTime, DateTime) noexcept = default;

private:
    constexpr explicit DateTime(std::int64_t seconds) noexcept : seconds_(seconds) {}

    std::int64_t DayNumber() const noexcept;

    // Seconds since 1970-01-01 00:00:00.
    std::int64_t seconds_ = 0;
};

// The time of a sample: the recording start plus Millis / 1000 whole seconds,
// rounded down.
DateTime SampleTime(const DateTime& start, std::int32_t millis) noexcept;

}  // namespace orvane
