#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/LogFingerprint.h"
#include "log/SampleRange.h"

namespace orvane {

// A log to compare with: its file name, and how much later (in milliseconds, negative for
// earlier) its samples are taken to be than this log's.
struct ReferenceLog {
    std::string File;
    std::int64_t OffsetMillis = 0;
    friend bool operator==(const ReferenceLog&, const ReferenceLog&) = default;
};

// The markers and the in/out range a user has set on a log, with what else is kept for
// it: a sample filter and a reference log.
struct LogMarks {
    std::vector<std::int64_t> Markers;  // sample numbers, increasing, no repeats
    std::optional<SampleRange> Range;   // in and out point, First <= Last
    std::string Filter{};               // a sample filter expression, one line; empty: none
    std::optional<ReferenceLog> Reference{};

    bool Empty() const noexcept {
        return Markers.empty() && !Range && Filter.empty() && !Reference;
    }
    friend bool operator==(const LogMarks&, const LogMarks&) = default;
};

enum class MarksStatus {
    Ok,       // read (or written)
    Missing,  // there is no marks file: the log has no marks
    Invalid,  // the file cannot be read, is not a marks file, or does not fit the log
    Failed,   // the file cannot be written
};

// What tells that a marks file changed: which file its name names, and that file's size
// and time of last change. Players replace the file whole (a new file under the name), so
// any change by any of them gives another stamp.
struct MarksStamp {
    bool Exists = false;
    std::uint64_t Device = 0;
    std::uint64_t Inode = 0;
    std::int64_t Size = 0;
    std::int64_t ModifiedNanoseconds = 0;
    friend bool operator==(const MarksStamp&, const MarksStamp&) = default;
};

struct MarksResult {
    MarksStatus Status = MarksStatus::Ok;
    std::string Reason;  // for Invalid and Failed
    LogMarks Marks;      // what was read, or what the file holds after a write
    MarksStamp Stamp;    // of the file the marks were read from or written to
};

// The marks file of a log, beside it: orvn0001.bin keeps its marks in orvn0001.marks.
// INI text, written whole on every change (a new file renamed over the old one, so a
// crash never leaves half a file; a symbolic link stays and the file it names is
// written):
//
//   [Marks]
//   Records=3000
//   LogStart=2026-12-05 10:00:00
//   LogHash=8c1b0d4ea3e2f671
//   Markers=120,480,2210
//   In=120
//   Out=480
//   Filter=rpm > 3000 and tps > 80
//   Reference=orvn0002.bin
//   ReferenceOffset=-1500
//
// Records, LogStart and LogHash are the fingerprint of the log the marks were set on (see
// LogFingerprint): a marks file whose fingerprint differs from the log's, whose samples
// lie beyond the end of the log, with more than MaxMarkers markers, or that holds
// anything but this is Invalid, with the reason, and its marks are not used. A file
// without LogStart and LogHash (written before they were kept) is checked by Records
// alone. Filter, Reference and ReferenceOffset are optional and kept as they are. An
// empty file has no marks (Missing). No function here throws.
//
// Several players may have one log open. Each keeps the marks it last read or wrote (its
// base) beside the ones it shows, and saves with Update: under an exclusive lock, the
// file is read again and the player's changes since its base are applied to what it
// holds now, so that nobody's markers are lost. StampOf tells cheaply whether another
// player has written the file since; Read and Merge then give the merged state to show.
class MarksFile {
public:
    // More markers than a user sets by hand, and than the overview can tell apart.
    static constexpr std::size_t MaxMarkers = 10'000;

    // The log's path with its last four characters replaced by ".marks".
    static std::string PathFor(const std::string& logFileName);

    // Reads the marks file at `path` for the log `log`, without a lock (a file is always
    // replaced whole, so a reader sees one version or the next).
    static MarksResult Read(const std::string& path, const LogFingerprint& log) noexcept;

    // Saves the changes a player made since `base` (what it last read or wrote) to get
    // `mine`, merged with what the file holds now, under an exclusive lock:
    //  - markers added since the base are added, markers removed since are removed, the
    //    others are the file's;
    //  - the range, the filter and the reference are this player's where it changed them
    //    since the base, otherwise the file's (the last one set wins).
    // A file that does not fit the log (another log's, or not a marks file) counts as
    // empty and is replaced. Returns the merged marks, which become the player's new base
    // and what it shows. Failed when the file cannot be written (the caller keeps its
    // marks in memory); Invalid, with nothing written, when the merged marks do not fit
    // (more than MaxMarkers markers, samples beyond the log, a filter or reference name
    // that is not one line). An empty result removes the file. With `mine` equal to
    // `base` nothing is written and the result is Read's.
    static MarksResult Update(const std::string& path, const LogFingerprint& log,
                              const LogMarks& base, const LogMarks& mine) noexcept;

    // Replaces what the file holds by `marks`, under the same lock and with the same
    // checks: for a player that does not share the file.
    static MarksResult Write(const std::string& path, const LogMarks& marks,
                             const LogFingerprint& log) noexcept;

    // The stamp of the file at `path` now (Exists false when there is none).
    static MarksStamp StampOf(const std::string& path) noexcept;

    // The rule of Update: `theirs` (the file's marks) with the changes from `base` to
    // `mine` applied.
    static LogMarks Merge(const LogMarks& base, const LogMarks& mine, const LogMarks& theirs);

    // The text of a marks file, and back.
    static std::string Text(const LogMarks& marks, const LogFingerprint& log);
    static MarksResult Parse(std::string_view text, const LogFingerprint& log);
};

}  // namespace orvane
