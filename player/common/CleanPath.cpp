#include "common/CleanPath.h"

#include <filesystem>

namespace orvane {

std::string CleanPath(std::string_view path) {
    std::string clean = std::filesystem::path(path).lexically_normal().string();
    if (clean.size() > 1 && clean.back() == '/') clean.pop_back();
    return clean;
}

}  // namespace orvane
