#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

// Replaces the file at `path` as a whole: `write` fills a new temporary file in the same
// folder, which is flushed to the disk and then renamed over `path`. Readers see the old
// file or the new one, never a half-written one, and a failure leaves `path` as it was
// and removes the temporary file. The new file gets the permissions a newly created file
// gets (0666 less the umask). A symbolic link at `path` stays a link: the file it names
// is the one replaced (see WriteTarget).
//
// The temporary file is named after the file it replaces (see TemporaryName) and stays
// locked while it is written. Before it is created, temporaries of the same file left
// behind by processes that no longer run (killed, or crashed, half-way through) are
// removed; those of a running process, or locked by one, are never touched.
//
// `write` receives the open descriptor; it returns false on failure and says why in
// `error`. Returns false with the reason in `error` when anything fails.
bool ReplaceFileAtomically(const std::string& path,
                           const std::function<bool(int fd, std::string& error)>& write,
                           std::string& error);

// The file that a write to `path` must replace: symbolic links are followed to the file
// they name, so that the links stay and that file gets the new contents. The file need
// not exist. nullopt for a loop of links, or a link that cannot be read.
std::optional<std::string> WriteTarget(const std::string& path);

// The name of a temporary file for the file named `name` (no folder), made by process
// `pid`: "<name>.tmp-<pid>-<counter>-<attempt>". Where that could be longer than
// `nameMax` bytes (the folder's limit for one name), the end of `name` gives way to "~"
// and eight hex digits of a hash of the whole name, so the temporary still fits, names
// the file it is for, and differs from those of other long names with the same start.
std::string TemporaryName(const std::string& name, long pid, unsigned counter, unsigned attempt,
                          std::size_t nameMax = 255);

// Removes the temporaries of the file at `path` (named as TemporaryName names them, in
// its folder) whose process no longer runs and which nobody holds locked. Returns how
// many were removed. ReplaceFileAtomically calls it; errors are ignored.
int RemoveLeftoverTemporaries(const std::string& path);

}  // namespace orvane
