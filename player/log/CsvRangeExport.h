#pragma once

#include <string>

#include "log/CsvExport.h"
#include "log/SampleRange.h"

namespace orvane {

// The file of a range export, beside the log: the log's CSV path without ".csv", "_",
// the first and last sample numbers (1-based, six digits with leading zeros, more when
// needed), "-" between them, and ".csv". orvn0001.bin, samples 120 to 480:
// orvn0001_000120-000480.csv.
std::string RangeCsvPathFor(const std::string& logFileName, SampleRange range);

// Writes the header line and the lines of the samples in `range` to `csvPath`, replacing
// an earlier file of that name as a whole: the text goes to a temporary file in the same
// folder, which is renamed over `csvPath` only when complete. Any failure leaves
// `csvPath` as it was and removes the temporary file. The log's read position does not
// move. RecordLines counts the lines written.
//
// `control.Progress` follows and stops it as it does Output's export: called after every
// block of lines and once more when all of them are on the disk, just before the rename;
// returning false ends the export Cancelled, the temporary removed and `csvPath` as it
// was. (`control.Waiting` is not called: nothing else writes the temporary file.) Leftover
// temporaries of `csvPath` from processes that ended half-way are removed first.
// `extra`, when given, adds its columns after the log's own.
CsvExportResult ExportRange(const CsvExport& exporter, const LogFile& log, SampleRange range,
                            const std::string& csvPath, const CsvExportControl& control = {},
                            CsvExtraColumns* extra = nullptr);

}  // namespace orvane
