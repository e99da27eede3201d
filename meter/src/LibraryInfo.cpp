#include <meter/LibraryInfo.h>

namespace meter {

std::string_view LoadedLibraryVersion() noexcept {
    return METER_VERSION_TEXT;
}

}  // namespace meter
