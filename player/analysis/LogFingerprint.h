#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "log/LogFile.h"

namespace orvane {

// What tells one log from another for the files kept beside it (the marks file): its
// number of complete records, its start date and a hash of its first and last records.
// Two recordings of the same length are told apart by their start or their records; a
// log that was replaced by another of the same name no longer matches.
struct LogFingerprint {
    LogFingerprint() = default;
    // A log known by its number of complete records alone (the start and hash unknown):
    // a marks file is checked against that only.
    LogFingerprint(std::int64_t records) noexcept : Records(records) {}  // NOLINT: implicit

    std::int64_t Records = 0;
    std::string Start{};                // "YYYY-MM-DD HH:MM:SS"; empty when not known
    std::optional<std::uint64_t> Hash;  // of the first and last complete records

    // The fingerprint of an open log as it is now, read with positional reads (the read
    // position does not move). nullopt, with the reason in `error`, when the header or
    // those records cannot be read or the start date is not a date.
    static std::optional<LogFingerprint> Of(const LogFile& log, std::string& error);

    // The hash as 16 lower-case hex digits, and back (nullopt for anything else).
    static std::string HashText(std::uint64_t hash);
    static std::optional<std::uint64_t> ParseHash(std::string_view text);

    friend bool operator==(const LogFingerprint&, const LogFingerprint&) = default;
};

}  // namespace orvane
