#pragma once

#include <meter/Version.h>
#include <meter/meter_export.h>

#include <cstdint>
#include <string_view>

namespace meter {

// The library's fixed identities and version information. The class, interface and
// type library identifiers were generated once and never change; they name the
// gauge to any tool that still speaks of it by them.
namespace Identity {
inline constexpr std::string_view TypeLibraryName = "METERLib";
inline constexpr std::string_view TypeLibraryGuid = "{583E7254-1AB5-4F83-A9AD-A2D8B5E9E8DF}";
inline constexpr int TypeLibraryMajorVersion = 1;
inline constexpr int TypeLibraryMinorVersion = 0;
inline constexpr std::uint32_t TypeLibraryLocale = 0x0409;
inline constexpr std::string_view TypeLibraryHelpString = "Brask Meter ActiveX ｺﾝﾄﾛｰﾙ ﾓｼﾞｭｰﾙ";
inline constexpr std::string_view TypeLibraryHelpFile = "meter.hlp";

inline constexpr std::string_view DispatchInterfaceName = "_DMeter";
inline constexpr std::string_view DispatchInterfaceGuid = "{DD114C28-906F-4886-A742-43E9049CAC28}";
inline constexpr std::string_view DispatchInterfaceHelpString = "Meter Control 用ﾃﾞｨｽﾊﾟｯﾁ ｲﾝﾀｰﾌｪｲｽ";
inline constexpr std::string_view EventInterfaceName = "_DMeterEvents";
inline constexpr std::string_view EventInterfaceGuid = "{D824C042-9794-4140-A7FB-D5C07781B6E5}";
inline constexpr std::string_view EventInterfaceHelpString = "Event interface for Meter Control";

inline constexpr std::string_view ControlClassName = "Meter";
inline constexpr std::string_view ControlClassGuid = "{1E39EF04-DB59-408A-A659-08CC166CB82F}";
inline constexpr std::string_view ControlProgId = "METER.MeterCtrl.1";
inline constexpr std::string_view ControlTypeName = "Brask Meter Control";
// OLEMISC_ACTIVATEWHENVISIBLE | SETCLIENTSITEFIRST | INSIDEOUT | CANTLINKINSIDE |
// RECOMPOSEONRESIZE
inline constexpr std::uint32_t ControlMiscStatus = 0x00020191;

inline constexpr std::string_view PropertyPageClassGuid = "{84E24971-9C85-484B-A12F-67F2F353B063}";
inline constexpr std::string_view PropertyPageProgId = "METER.MeterPropPage.1";
inline constexpr std::string_view PropertyPageName = "Meter Property Page";

// The pages the gauge names for its properties, in this order: its own "General"
// page, then the system's stock font page and stock colour page.
inline constexpr std::string_view StockFontPageGuid = "{0BE35201-8F91-11CE-9DE3-00AA004BB851}";
inline constexpr std::string_view StockColourPageGuid = "{0BE35200-8F91-11CE-9DE3-00AA004BB851}";
}  // namespace Identity

// The version block of the library file. The numbers are the library's version as
// meter/Version.h gives it.
namespace VersionInfo {
inline constexpr int Major = METER_VERSION_MAJOR;
inline constexpr int Minor = METER_VERSION_MINOR;
inline constexpr int Patch = METER_VERSION_PATCH;
inline constexpr int Build = METER_VERSION_BUILD;
inline constexpr std::uint16_t Language = 0x0411;  // Japanese
inline constexpr std::uint16_t CodePage = 0x04B0;  // Unicode
inline constexpr std::string_view FileVersion = METER_VERSION_BLOCK_TEXT;
inline constexpr std::string_view ProductVersion = METER_VERSION_BLOCK_TEXT;
inline constexpr std::string_view FileDescription = "Brask Meter ActiveX Control Module";
inline constexpr std::string_view InternalName = "meter";
inline constexpr std::string_view OriginalFilename = "meter.OCX";
inline constexpr std::string_view ProductName = "meter ActiveX Control Module";
}  // namespace VersionInfo

// The version of the library actually loaded, as "1.0.0.5". Compare it with
// METER_VERSION_TEXT, the version a program was compiled against.
METER_EXPORT std::string_view LoadedLibraryVersion() noexcept;

}  // namespace meter
