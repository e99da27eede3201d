#pragma once

#include <string_view>

namespace meter::detail {

// The fixed identities of the library, its classes and interfaces. Nothing uses them
// yet: they are kept so that anything that ever registers the gauge with a desktop or
// describes its interfaces by identifier uses these and never new ones, since
// programs that stored an identifier find the gauge by it. Never change them.
namespace LibraryIdentity {
inline constexpr std::string_view TypeLibraryName = "METERLib";
inline constexpr std::string_view TypeLibraryGuid = "{583E7254-1AB5-4F83-A9AD-A2D8B5E9E8DF}";
inline constexpr int TypeLibraryMajorVersion = 1;
inline constexpr int TypeLibraryMinorVersion = 0;

inline constexpr std::string_view DispatchInterfaceName = "_DMeter";
inline constexpr std::string_view DispatchInterfaceGuid = "{DD114C28-906F-4886-A742-43E9049CAC28}";
inline constexpr std::string_view EventInterfaceName = "_DMeterEvents";
inline constexpr std::string_view EventInterfaceGuid = "{D824C042-9794-4140-A7FB-D5C07781B6E5}";

inline constexpr std::string_view ControlClassGuid = "{1E39EF04-DB59-408A-A659-08CC166CB82F}";
inline constexpr std::string_view ControlProgId = "METER.MeterCtrl.1";

inline constexpr std::string_view PropertyPageClassGuid = "{84E24971-9C85-484B-A12F-67F2F353B063}";
inline constexpr std::string_view PropertyPageProgId = "METER.MeterPropPage.1";
inline constexpr std::string_view PropertyPageName = "Meter Property Page";
}  // namespace LibraryIdentity

}  // namespace meter::detail
