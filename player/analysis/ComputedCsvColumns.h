#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/FormulaStream.h"
#include "log/CsvExtraColumns.h"
#include "log/LogFile.h"

namespace orvane {

// One CSV column per computed item, after the log's own: the column is named after the
// item and holds its value with two decimals, empty where it has none (and throughout
// for an item absent from the log).
class ComputedCsvColumns : public CsvExtraColumns {
public:
    // For an export whose first record is sample `firstSample` of `log`. nullopt with the
    // reason in `error` when the records before it cannot be read.
    static std::optional<ComputedCsvColumns> Start(const LogFile& log, const FormulaSet& formulas,
                                                   std::int64_t firstSample, std::string& error);

    std::vector<std::string> Names() const override;
    char* AppendFields(char* at, const LogRecord& record) override;

private:
    ComputedCsvColumns(FormulaStream stream, std::int64_t firstSample)
        : stream_(std::move(stream)), sample_(firstSample) {}

    FormulaStream stream_;
    std::int64_t sample_;
};

}  // namespace orvane
