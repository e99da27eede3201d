#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace orvane {

// How long an export waits for a CSV file that another export is writing before it
// gives up on that log.
inline constexpr std::chrono::milliseconds CsvToolLockWait = std::chrono::minutes(10);

// The orvane-csv program: exports logs to CSV exactly as the player's Output button
// does right after opening them (or a range of samples to a file of its own), writes
// one to standard output, prints their summary, statistics or a map (see
// CsvToolUsage). `args` excludes the program name. Returns the exit status: 0 when
// every log was handled, 1 when any log could not be read or written, 2 for a usage
// error, a range outside a log or a map or threshold item a log lacks.
//
// SIGTERM, SIGINT or SIGHUP during an export to a CSV file takes back what that export
// appended (a range export removes its temporary file, leaving an earlier file of that
// range as it was), says so, and then ends the program by that signal (so a shell sees
// 143, 130 or 129); the CSV files of logs exported before stay complete.
int RunCsvTool(const std::vector<std::string>& args, int outFd, std::FILE* out, std::FILE* err,
               std::chrono::milliseconds lockWait = CsvToolLockWait);

}  // namespace orvane
