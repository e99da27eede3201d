#pragma once

#include <meter/meter_export.h>

#include <span>
#include <string_view>

namespace meter {

// Numbers of the gauge's properties and of its method, for callers that address them by
// number (Meter::GetProperty, Meter::SetProperty). They never change, so a number kept
// anywhere names the same member in every version of the library.
enum class DispId : int {
    ScaleColor = 1,
    NeedleColor = 2,
    NumberColor = 3,
    CaptionColor = 4,
    ThickNeedle = 5,
    TriggerEnabed = 6,
    MinValue = 7,
    MaxValue = 8,
    DecmalLength = 9,
    NumberFont = 10,
    CaptionFont = 11,
    MaxGreenZone = 12,
    MaxYellowZone = 13,
    MaxRedZone = 14,
    Value = 15,
    // Stock members.
    Appearance = -520,
    BackColor = -501,
    BorderStyle = -504,
    Caption = -518,
    ReadyState = -525,
    AboutBox = -552,
};

// Identifiers of the gauge's events.
enum class EventId : int {
    ReadyStateChange = -609,
    Change = 1,
    RedTrigger = 2,
    YellowTrigger = 3,
};

// The kind of value a member carries.
enum class MemberType {
    Colour,   // 32-bit colour value (meter::Colour)
    Boolean,  // bool
    Double,   // 64-bit floating point
    Int16,    // 16-bit signed integer
    Int32,    // 32-bit signed integer
    Font,     // QFont
    Text,     // QString
    Method,   // no value: a method without arguments
};

struct MemberInfo {
    DispId id;
    std::string_view name;
    MemberType type;
    bool readOnly;
    // Bindable and request-edit: set for the stock properties only.
    bool bindable;
    // UTF-8 help string of the member; empty when it has none.
    std::string_view helpString;
};

// The members in the order of the control's dispatch table: the gauge's own
// properties 1 to 15, then the stock properties and AboutBox.
METER_EXPORT std::span<const MemberInfo> DispatchMembers() noexcept;

// The members in the order the type library lists them.
METER_EXPORT std::span<const DispId> TypeLibraryOrder() noexcept;

// The member with the given identifier or name (exact spelling); nullptr when unknown.
METER_EXPORT const MemberInfo* FindMember(DispId id) noexcept;
METER_EXPORT const MemberInfo* FindMember(std::string_view name) noexcept;

}  // namespace meter
