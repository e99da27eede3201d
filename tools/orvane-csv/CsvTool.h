#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace orvane {

// The orvane-csv program: exports logs to CSV exactly as the player's Output button
// does right after opening them, prints their summary, or writes one to standard
// output. `args` excludes the program name. Returns the exit status: 0 when every log
// was handled, 1 when any log failed, 2 for a usage error.
int RunCsvTool(const std::vector<std::string>& args, int outFd, std::FILE* out, std::FILE* err);

}  // namespace orvane
