#pragma once

#include <functional>
#include <string>

namespace orvane {

// Replaces the file at `path` as a whole: `write` fills a new temporary file in the same
// folder, which is flushed to the disk and then renamed over `path`. Readers see the old
// file or the new one, never a half-written one, and a failure leaves `path` as it was
// and removes the temporary file. The new file gets the permissions a newly created file
// gets (0666 less the umask).
//
// `write` receives the open descriptor; it returns false on failure and says why in
// `error`. Returns false with the reason in `error` when anything fails.
bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(int fd, std::string& error)>& write,
                           std::string& error);

}  // namespace orvane
