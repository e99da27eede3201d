#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "log/LogRecord.h"
#include "log/modOrvane.h"

namespace orvane {

// Columns that an export adds after the log's own, worked out from the records (the
// computed items of the command line). The export hands over every record it writes,
// in order, so the columns may keep what they need of the records before.
class CsvExtraColumns {
public:
    // Room one field takes at most: its comma and a value's text.
    static constexpr std::size_t MaxFieldLength = FormatValueMaxLength + 1;

    virtual ~CsvExtraColumns() = default;

    // The names of the columns, for the header line; they hold no comma or line break.
    virtual std::vector<std::string> Names() const = 0;

    // Writes "," and the field's text for each column of `record` at `at`, which has room
    // for MaxFieldLength characters per column; returns the end of what it wrote.
    virtual char* AppendFields(char* at, const LogRecord& record) = 0;
};

}  // namespace orvane
