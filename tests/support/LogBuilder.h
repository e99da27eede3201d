#pragma once

// Builds log file bytes for tests: a header and records, optionally a partial tail.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "log/DateTime.h"
#include "log/LogHeader.h"
#include "log/LogRecord.h"

namespace orvane::testing {

class LogBuilder {
public:
    LogBuilder() { header_.SlotItemCodes.fill(-1); }

    LogBuilder& Slots(std::initializer_list<std::int16_t> codes) {
        int k = 0;
        for (const auto code : codes) header_.SlotItemCodes[k++] = code;
        return *this;
    }
    LogBuilder& Start(const DateTime& start) {
        header_.StartDate = start.ToOleDate();
        return *this;
    }
    LogBuilder& StartDate(double oleDate) {
        header_.StartDate = oleDate;
        return *this;
    }
    LogBuilder& Record(std::int32_t millis, std::initializer_list<std::uint8_t> bytes = {}) {
        LogRecord record;
        record.Millis = millis;
        int k = 0;
        for (const auto b : bytes) record.SlotBytes[k++] = b;
        records_.push_back(record);
        return *this;
    }
    LogBuilder& Slots(const std::array<std::int16_t, SlotCount>& codes) {
        header_.SlotItemCodes = codes;
        return *this;
    }
    LogBuilder& RecordBytes(std::int32_t millis, const std::array<std::uint8_t, SlotCount>& bytes) {
        LogRecord record;
        record.Millis = millis;
        record.SlotBytes = bytes;
        records_.push_back(record);
        return *this;
    }
    // Consecutive records 100 ms apart whose slot bytes carry the record number.
    LogBuilder& Numbered(int count) {
        for (int i = 0; i < count; ++i) {
            LogRecord record;
            record.Millis = static_cast<std::int32_t>(records_.size()) * 100;
            record.SlotBytes.fill(static_cast<std::uint8_t>(records_.size() + 1));
            records_.push_back(record);
        }
        return *this;
    }
    LogBuilder& Tail(int bytes) {
        tail_ = bytes;
        return *this;
    }

    std::vector<unsigned char> Bytes() const {
        std::vector<unsigned char> out;
        const auto h = header_.Encode();
        out.insert(out.end(), h.begin(), h.end());
        for (const auto& record : records_) {
            const auto r = record.Encode();
            out.insert(out.end(), r.begin(), r.end());
        }
        out.insert(out.end(), static_cast<std::size_t>(tail_), 0xAB);
        return out;
    }

private:
    LogHeader header_;
    std::vector<LogRecord> records_;
    int tail_ = 0;
};

}  // namespace orvane::testing
