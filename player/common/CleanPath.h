#pragma once

#include <string>
#include <string_view>

namespace orvane {

// A path as messages and notes show it: "." and ".." parts and doubled or trailing
// slashes worked out by the text alone ("/home/me/app/../logs/" gives "/home/me/logs",
// "./orvn0001.bin" gives "orvn0001.bin"). A ".." at the start of a relative path stays.
// The file system is not asked, so a ".." after a symbolic link is taken literally:
// the result is for people to read, not a path to open instead of the one given.
std::string CleanPath(std::string_view path);

}  // namespace orvane
