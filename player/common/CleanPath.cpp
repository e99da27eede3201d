#include "common/CleanPath.h"

#include <sys/stat.h>

#include <filesystem>

namespace orvane {
namespace {

// Both paths exist and name the same file (following symbolic links).
bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The folder part of a path and its last name ("a/b" gives "a" and "b", "b" gives "."
// and "b").
std::pair<std::string, std::string> Split(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

}  // namespace

std::string CleanPath(std::string_view path) {
    std::string clean = std::filesystem::path(path).lexically_normal().string();
    if (clean.size() > 1 && clean.back() == '/') clean.pop_back();
    return clean;
}

std::string ShownPath(std::string_view path) {
    const std::string given(path);
    std::string clean = CleanPath(path);
    if (clean == given || SameFile(given, clean)) return clean;
    if (Exists(given) || Exists(clean)) return given;
    const auto [givenFolder, givenName] = Split(given);
    const auto [cleanFolder, cleanName] = Split(clean);
    return givenName == cleanName && SameFile(givenFolder, cleanFolder) ? clean : given;
}

}  // namespace orvane
