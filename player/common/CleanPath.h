#pragma once

#include <string>
#include <string_view>

namespace orvane {

// A path with its "." and ".." parts and doubled or trailing slashes worked out by the
// text alone ("/home/me/app/../logs/" gives "/home/me/logs", "./orvn0001.bin" gives
// "orvn0001.bin"). A ".." at the start of a relative path stays. The file system is not
// asked, so a ".." after a symbolic link, or after a folder that does not exist, is
// taken literally: the text may then name another file than the path does.
std::string CleanPath(std::string_view path);

// The path to show in a message or a note: CleanPath of it when that names the same
// file, else the path as given, so a message never names a file it is not about (a path
// through a missing folder, or back out of a symbolic link, is shown as it was given).
// A file that does not exist (yet) is judged by its folder.
std::string ShownPath(std::string_view path);

}  // namespace orvane
