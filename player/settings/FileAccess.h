#pragma once

#include <sys/stat.h>

#include <string>

namespace orvane {

// File reading and path helpers shared by the settings code.

enum class ReadResult { Ok, Missing, Failed };

// Reads a whole regular file into `bytes`. A file that does not exist is Missing;
// anything else that goes wrong (a folder, an unreadable file, a read error) is Failed,
// so a writer never mistakes an unreadable file for an absent one and overwrites it.
// `status`, when given, receives the file's status.
ReadResult ReadWholeFile(const std::string& path, std::string& bytes,
                         struct stat* status = nullptr);

// The folder part of `path`: "." for a bare name, "/" for a name in the root.
std::string FolderOf(const std::string& path);

}  // namespace orvane
