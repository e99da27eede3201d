// orvane-mklog: writes realistic demo logs (a simulated drive) for the demo, the tests
// and the benchmarks, since there is no logger program at hand.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "DemoDrive.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "usage: orvane-mklog [--records N] [--seed S] [--interval MS] [--start \"YYYY-MM-DD "
    "HH:MM:SS\"]\n"
    "                    [--slots CODE,CODE,...] [--pause N:SECS] FILE\n"
    "\n"
    "Writes a log file of a simulated drive: a cold start and idle, revving, driving\n"
    "through the gears, a full-throttle pull, deceleration and idle again.\n"
    "  --records N     number of samples (default 3000, about five minutes)\n"
    "  --seed S        seed of the simulation (default 1); the same seed gives the same log\n"
    "  --interval MS   mean time between samples (default 100; jitter is added)\n"
    "  --pause N:SECS  the logging pauses for SECS seconds after sample N (repeatable)\n"
    "  --start TIME    recording start (default 2026-12-05 10:00:00)\n"
    "  --slots CODES   item codes of the log's slots in order, comma-separated (for example\n"
    "                  2,33,7,23; -1 marks a slot not in use; slots not given are not in\n"
    "                  use); default 33,7,23,6,26,20,58,41,12,13,14,19,22,38,21,2,0,44\n"
    "  -h, --help      print this help and exit\n"
    "      --version   print the version and exit\n";

bool ParseInt(const char* text, long min, long max, long* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max) return false;
    *out = v;
    return true;
}

bool ParseStart(const char* text, orvane::DateTime* out) {
    int y, mo, d, h = 0, mi = 0, s = 0;
    char sep = ' ';
    const int n = std::sscanf(text, "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s);
    if (n != 3 && n != 7) return false;
    if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 ||
        mi > 59 || s < 0 || s > 59)
        return false;
    *out = orvane::DateTime::FromCivil(y, mo, d, h, mi, s);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    long records = 3000, seed = 1, interval = 100;
    orvane::DateTime start = orvane::DateTime::FromCivil(2026, 12, 5, 10, 0, 0);
    auto slots = orvane::demo::DefaultDemoSlots();
    std::vector<orvane::demo::DemoPause> pauses;
    const char* path = nullptr;
    bool ok = true;
    std::string refused;  // the argument that could not be used
    for (int i = 1; i < argc && ok; ++i) {
        const std::string arg = argv[i];
        refused = arg;
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::fputs("orvane-mklog " ORVANE_VERSION "\n", stdout);
            return 0;
        } else if (arg == "--records" && value) {
            ok = ParseInt(value, 0, 50'000'000, &records);
            ++i;
        } else if (arg == "--seed" && value) {
            ok = ParseInt(value, 0, 0xFFFFFFFFL, &seed);
            ++i;
        } else if (arg == "--interval" && value) {
            ok = ParseInt(value, 1, 60'000, &interval);
            ++i;
        } else if (arg == "--pause" && value) {
            const std::string text = value;
            const auto colon = text.find(':');
            long after = 0, seconds = 0;
            ok = colon != std::string::npos &&
                 ParseInt(text.substr(0, colon).c_str(), 1, 50'000'000, &after) &&
                 ParseInt(text.substr(colon + 1).c_str(), 1, 2'000'000, &seconds);
            if (ok) pauses.push_back({static_cast<int>(after), static_cast<int>(seconds)});
            ++i;
        } else if (arg == "--slots" && value) {
            const auto parsed = orvane::demo::ParseSlotList(value);
            ok = parsed.has_value();
            if (ok) slots = *parsed;
            ++i;
        } else if (arg == "--start" && value) {
            ok = ParseStart(value, &start);
            ++i;
        } else if (!arg.empty() && arg[0] != '-' && !path) {
            path = argv[i];
        } else {
            ok = false;
        }
    }
    if (!ok || !path) {
        if (!ok) {
            std::fprintf(stderr, "orvane-mklog: cannot use '%s'\n", refused.c_str());
        } else {
            std::fputs("orvane-mklog: no FILE named\n", stderr);
        }
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::string reason;
    if (!orvane::demo::WriteDemoLog(path, static_cast<int>(records),
                                    static_cast<std::uint32_t>(seed), start, &reason,
                                    static_cast<int>(interval), slots, pauses)) {
        std::fprintf(stderr, "orvane-mklog: %s: %s\n", path, reason.c_str());
        return 1;
    }
    return 0;
}
