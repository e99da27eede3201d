#include "analysis/LogFingerprint.h"

#include <charconv>
#include <cstdio>

#include "log/DateTime.h"
#include "log/LogHeader.h"
#include "log/RecordScan.h"

namespace orvane {
namespace {

// FNV-1a, 64 bits: small, fixed for good, and ample to tell a few logs apart.
constexpr std::uint64_t kHashStart = 14695981039346656037ull;
constexpr std::uint64_t kHashPrime = 1099511628211ull;

std::uint64_t HashBytes(std::uint64_t hash, const std::uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * kHashPrime;
    return hash;
}

}  // namespace

std::optional<LogFingerprint> LogFingerprint::Of(const LogFile& log, std::string& error) {
    std::uint8_t header[HeaderSize];
    if (log.ReadAt(0, header, HeaderSize) != HeaderSize) {
        error = "cannot read the log's header";
        return std::nullopt;
    }
    const auto start = DateTime::FromOleDate(
        LogHeader::Decode(std::span<const std::uint8_t, HeaderSize>(header, HeaderSize)).StartDate);
    if (!start) {
        error = "the log's start date is not a valid date";
        return std::nullopt;
    }
    LogFingerprint fingerprint;
    fingerprint.Records = CompleteRecords(log.Length());
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", start->Year(), start->Month(),
                  start->Day(), start->Hour(), start->Minute(), start->Second());
    fingerprint.Start = text;
    std::uint64_t hash = kHashStart;
    if (fingerprint.Records > 0) {
        for (const std::int64_t sample : {std::int64_t{1}, fingerprint.Records}) {
            std::uint8_t record[RecordSize];
            if (log.ReadAt(RecordOffset(sample), record, RecordSize) != RecordSize) {
                error = "cannot read sample " + std::to_string(sample) + " of the log";
                return std::nullopt;
            }
            hash = HashBytes(hash, record, RecordSize);
        }
    }
    fingerprint.Hash = hash;
    return fingerprint;
}

std::string LogFingerprint::HashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::optional<std::uint64_t> LogFingerprint::ParseHash(std::string_view text) {
    std::uint64_t hash = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), hash, 16);
    if (text.size() != 16 || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return hash;
}

}  // namespace orvane
