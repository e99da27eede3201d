#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"
#include "log/SampleRange.h"

namespace orvane {

// What an export did.
struct CsvExportResult {
    bool Ok = true;
    std::string Error;             // the reason, when Ok is false
    std::int64_t RecordLines = 0;  // record lines written (not counting the header line)
};

// Converts a log to comma-separated text: a header line naming the columns, then one
// line per record with the sample's date, time, milliseconds and the value (or switch
// states) of every slot in use. Lines end in CR LF; fields are never quoted; numbers
// always use "." whatever the locale.
//
// The records are read from the log's current read position to its end, the position
// shared with playback, and the position is left at the end. The texts of every column
// are prepared once for all 256 raw byte values, so the per-record work is copying.
class CsvExport {
public:
    // `slotItems` holds the item codes of slots 1 to 18 (element 0 is slot 1).
    // A slot with a negative code has no column.
    CsvExport(const DateTime& start, std::span<const std::int16_t, SlotCount> slotItems);
    ~CsvExport();
    CsvExport(const CsvExport&) = delete;
    CsvExport& operator=(const CsvExport&) = delete;

    // The CSV path of a log: its name with the last four characters replaced by ".csv".
    static std::string CsvPathFor(const std::string& logFileName);

    // "Date,Time,Milliseconds" and one name per column, with its CR LF.
    std::string HeaderLine() const;

    // One record line with its CR LF.
    std::string RecordLine(const LogRecord& record) const;

    // Appends the header line and the records from the log's read position to `csvPath`,
    // creating the file when missing and keeping what it held. When the file cannot be
    // opened or written, reports the reason, removes whatever this export had appended
    // and puts the log's read position back where it was: nothing is lost either way.
    CsvExportResult AppendTo(LogFile& log, const std::string& csvPath) const;

    // The same bytes written to an open descriptor (for example standard output).
    CsvExportResult WriteTo(LogFile& log, int fd) const;

    // The header line and the record lines of the samples in `range` (1-based, both ends
    // included), written to an open descriptor: the same bytes the lines of those samples
    // have in Output's file. The records are read with positional reads, so the log's read
    // position does not move. A range that is empty or not inside the log's complete
    // records writes nothing and is reported.
    CsvExportResult WriteRangeTo(const LogFile& log, SampleRange range, int fd) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
