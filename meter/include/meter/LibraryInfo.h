#pragma once

#include <meter/Version.h>
#include <meter/meter_export.h>

#include <string_view>

namespace meter {

namespace Identity {
// The gauge's name, as Designer's widget box, the property page's dialog and the About
// dialog show it.
inline constexpr std::string_view ControlTypeName = "Brask Meter Control";
}  // namespace Identity

namespace VersionInfo {
// The library's description, the first line of the About dialog.
inline constexpr std::string_view FileDescription = "Brask Meter ActiveX Control Module";
}  // namespace VersionInfo

// The version of the library actually loaded, as "1.0.0.5". Compare it with
// METER_VERSION_TEXT, the version a program was compiled against.
METER_EXPORT std::string_view LoadedLibraryVersion() noexcept;

}  // namespace meter
