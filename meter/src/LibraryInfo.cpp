#include <meter/LibraryInfo.h>

namespace meter {

// Compiled into the library, so this is the version of the library file itself, whatever
// headers the caller was built with.
std::string_view LoadedLibraryVersion() noexcept {
    return METER_VERSION_TEXT;
}

}  // namespace meter
