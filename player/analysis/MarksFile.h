#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/SampleRange.h"

namespace orvane {

// The markers and the in/out range a user has set on a log.
struct LogMarks {
    std::vector<std::int64_t> Markers;  // sample numbers, increasing, no repeats
    std::optional<SampleRange> Range;   // in and out point, First <= Last

    bool Empty() const noexcept { return Markers.empty() && !Range; }
    friend bool operator==(const LogMarks&, const LogMarks&) = default;
};

enum class MarksStatus {
    Ok,       // read (or written)
    Missing,  // there is no marks file: the log has no marks
    Invalid,  // the file cannot be read, is not a marks file, or does not fit the log
    Failed,   // the file cannot be written
};

struct MarksResult {
    MarksStatus Status = MarksStatus::Ok;
    std::string Reason;  // for Invalid and Failed
    LogMarks Marks;      // what was read
};

// The marks file of a log, beside it: orvn0001.bin keeps its marks in orvn0001.marks.
// INI text, written whole on every change (a new file renamed over the old one, so a
// crash never leaves half a file):
//
//   [Marks]
//   Records=3000
//   Markers=120,480,2210
//   In=120
//   Out=480
//
// Records is the number of samples of the log the marks were set on: a marks file whose
// count differs, whose samples lie beyond the end of the log, or that holds anything but
// this is Invalid, with the reason, and its marks are not used. No function here throws.
class MarksFile {
public:
    // The log's path with its last four characters replaced by ".marks".
    static std::string PathFor(const std::string& logFileName);

    static MarksResult Read(const std::string& path, std::int64_t records) noexcept;

    // Writes the marks (an empty set removes the file). Failed, with the reason, when
    // the folder cannot be written: the caller keeps the marks in memory.
    static MarksResult Write(const std::string& path, const LogMarks& marks,
                             std::int64_t records) noexcept;

    // The text of a marks file, and back.
    static std::string Text(const LogMarks& marks, std::int64_t records);
    static MarksResult Parse(std::string_view text, std::int64_t records);
};

}  // namespace orvane
