#pragma once

// Logs with planted values for the whole-log computations: records built in code,
// written to a temporary folder and opened as the player opens them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "TempDir.h"
#include "log/DateTime.h"
#include "log/LogFile.h"
#include "log/LogHeader.h"
#include "log/LogRecord.h"
#include "log/modOrvane.h"

namespace orvane::testing {

inline const DateTime kPlantedStart = DateTime::FromCivil(2026, 12, 5, 10, 0, 0);

class PlantedLog {
public:
    explicit PlantedLog(std::vector<std::int16_t> codes) : codes_(std::move(codes)) {}

    // Records `count` samples 100 ms apart with random bytes in every slot.
    void Random(int count, std::uint32_t seed) {
        std::mt19937 random(seed);
        for (int i = 0; i < count; ++i) {
            LogRecord record;
            record.Millis = static_cast<std::int32_t>(records.size()) * 100;
            for (auto& b : record.SlotBytes) b = static_cast<std::uint8_t>(random() % 256);
            records.push_back(record);
        }
    }

    // Writes the log (with an optional partial last record of `tail` bytes) and opens it.
    LogFile& Open(const std::string& name = "orvn0001.bin", int tail = 0) {
        LogHeader header;
        header.SlotItemCodes.fill(-1);
        std::copy(codes_.begin(), codes_.end(), header.SlotItemCodes.begin());
        header.StartDate = kPlantedStart.ToOleDate();
        const auto h = header.Encode();
        std::vector<unsigned char> bytes(h.begin(), h.end());
        for (const auto& record : records) {
            const auto r = record.Encode();
            bytes.insert(bytes.end(), r.begin(), r.end());
        }
        bytes.insert(bytes.end(), static_cast<std::size_t>(tail), 0xAB);
        path = dir.File(name);
        WriteBytes(path, bytes);
        file.Close();
        EXPECT_TRUE(file.Open(path));
        return file;
    }

    // Converted value of slot k (1-based) of record `sample` (1-based).
    double Value(std::int64_t sample, int slot) const {
        const std::int16_t code = codes_[static_cast<std::size_t>(slot - 1)];
        const std::uint8_t raw = Raw(sample, slot);
        return IsByteCode(code) ? ConvertValue(static_cast<std::uint8_t>(code), raw) : 0.0;
    }
    std::uint8_t Raw(std::int64_t sample, int slot) const {
        return records[static_cast<std::size_t>(sample - 1)]
            .SlotBytes[static_cast<std::size_t>(slot - 1)];
    }
    std::int64_t Count() const { return static_cast<std::int64_t>(records.size()); }

    std::vector<LogRecord> records;
    std::string path;
    LogFile file;
    TempDir dir;

private:
    std::vector<std::int16_t> codes_;
};

}  // namespace orvane::testing
