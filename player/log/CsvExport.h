#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "log/CsvExtraColumns.h"
#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/LogFormat.h"
#include "log/SampleRange.h"

namespace orvane {

// What an export did.
struct CsvExportResult {
    bool Ok = true;
    bool Cancelled = false;        // stopped by the caller (Ok is false then, Error empty)
    std::string Error;             // the reason, when Ok is false
    std::int64_t RecordLines = 0;  // record lines written (not counting the header line)
};

// How the caller of an export follows it and stops it. Both are called on the exporting
// thread; either may be left empty.
struct CsvExportControl {
    // Called about every 50 ms while another export holds the CSV file, with the time
    // waited so far (the first call comes at once). Returning false gives up: the
    // export ends Cancelled without having written anything. Left empty, the export
    // waits for as long as the other one takes.
    std::function<bool(std::chrono::milliseconds waited)> Waiting;
    // Called after every block of record lines (a few thousand) with the number written
    // so far, and once more when all of them are on the disk. Returning false stops the
    // export: it ends Cancelled and takes back what it appended.
    std::function<bool(std::int64_t recordLines)> Progress;
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

    // The CSV path of a log: its name with the last four characters replaced by ".csv"
    // ("orvn0001.bin" gives "orvn0001.csv"). When the file's own name (without its
    // folder) has four characters or fewer, ".csv" is appended to it instead
    // ("sub/ab" gives "sub/ab.csv").
    static std::string CsvPathFor(const std::string& logFileName);

    // The same path without ".csv": the stem the files kept beside a log are named from.
    static std::string StemFor(const std::string& logFileName);

    // "Date,Time,Milliseconds" and one name per column, with its CR LF.
    std::string HeaderLine() const;

    // One record line with its CR LF.
    std::string RecordLine(const LogRecord& record) const;

    // Appends the header line and the records from the log's read position to `csvPath`,
    // creating the file when missing and keeping what it held.
    //
    // The file is locked for the whole export, so exports to one CSV file (two logs
    // whose names give the same CSV name, or the player and orvane-csv) run one after
    // the other; a second export waits for the first (see CsvExportControl::Waiting).
    // When the file cannot be opened or written, or the export is cancelled, the file
    // is put back exactly as it was (a file this export created is removed) and so is
    // the log's read position: an export either appends all its lines or none.
    CsvExportResult AppendTo(LogFile& log, const std::string& csvPath) const;
    CsvExportResult AppendTo(LogFile& log, const std::string& csvPath,
                             const CsvExportControl& control) const;

    // The same bytes written to an open descriptor (for example standard output). A
    // failed or cancelled write cannot be taken back here. `extra`, when given, adds its
    // columns after the log's own (header line included).
    CsvExportResult WriteTo(LogFile& log, int fd, CsvExtraColumns* extra = nullptr) const;

    // The header line and the record lines of the samples in `range` (1-based, both ends
    // included), written to an open descriptor: the same bytes the lines of those samples
    // have in Output's file. The records are read with positional reads, so the log's read
    // position does not move. A range that is empty or not inside the log's complete
    // records writes nothing and is reported. `progress`, when given, is called as
    // CsvExportControl::Progress is, after every block but the last; returning false stops
    // the export (Cancelled), with the lines written so far left in `fd`. `extra` as for
    // WriteTo.
    CsvExportResult WriteRangeTo(const LogFile& log, SampleRange range, int fd,
                                 const std::function<bool(std::int64_t)>& progress = {},
                                 CsvExtraColumns* extra = nullptr) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace orvane
