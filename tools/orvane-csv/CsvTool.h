#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orvane {

// The orvane-csv program: exports logs to CSV exactly as the player's Output button
// does right after opening them (or a range of samples to a file of its own), writes
// one to standard output, prints their summary, statistics or a map (see
// CsvToolUsage). `args` excludes the program name. Returns the exit status: 0 when
// every log was handled, 1 when any log could not be read or written, 2 for a usage
// error, a range outside a log or a map item a log lacks.
int RunCsvTool(const std::vector<std::string>& args, int outFd, std::FILE* out, std::FILE* err);

}  // namespace orvane
