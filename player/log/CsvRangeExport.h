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
// move. RecordLines counts the lines written. `extra`, when given, adds its columns after
// the log's own.
CsvExportResult ExportRange(const CsvExport& exporter, const LogFile& log, SampleRange range,
                            const std::string& csvPath, CsvExtraColumns* extra = nullptr);

}  // namespace orvane
