#include <meter/DispatchId.h>

#include <algorithm>
#include <array>

namespace meter {

namespace {

constexpr std::array Members = {
    MemberInfo{DispId::ScaleColor, "ScaleColor", MemberType::Colour, false, false, "ｽｹｰﾙ ｶﾗｰ"},
    MemberInfo{DispId::NeedleColor, "NeedleColor", MemberType::Colour, false, false, "ﾊﾘ ｶﾗｰ"},
    MemberInfo{DispId::NumberColor, "NumberColor", MemberType::Colour, false, false, "ｽｳﾁ ｶﾗｰ"},
    MemberInfo{DispId::CaptionColor, "CaptionColor", MemberType::Colour, false, false,
               "ｷｬﾌﾟｼｮﾝ ｶﾗｰ"},
    MemberInfo{DispId::ThickNeedle, "ThickNeedle", MemberType::Boolean, false, false,
               "TRUE ﾃﾞ ﾊﾘ ｶﾞ ﾌﾄｸ ﾅﾘﾏｽ"},
    MemberInfo{DispId::TriggerEnabed, "TriggerEnabed", MemberType::Boolean, false, false,
               "ﾄﾘｶﾞ ﾕｳｺｳ"},
    MemberInfo{DispId::MinValue, "MinValue", MemberType::Double, false, false, "Min ｽｹｰﾙﾁ"},
    MemberInfo{DispId::MaxValue, "MaxValue", MemberType::Double, false, false, "Max ｽｹｰﾙﾁ"},
    MemberInfo{DispId::DecmalLength, "DecmalLength", MemberType::Int16, false, false,
               "ｽｹｰﾙｽｳﾁ ﾉ ｼｮｳｽｳﾃﾝｲｶ ﾉ ｹﾀｽｳ (0ｶﾗ4ﾏﾃﾞ ｼﾃｲ ｶﾉｳ)"},
    MemberInfo{DispId::NumberFont, "NumberFont", MemberType::Font, false, false, "ｽｳﾁ ﾌｫﾝﾄ"},
    MemberInfo{DispId::CaptionFont, "CaptionFont", MemberType::Font, false, false, "ｷｬﾌﾟｼｮﾝ ﾌｫﾝﾄ"},
    MemberInfo{DispId::MaxGreenZone, "MaxGreenZone", MemberType::Double, false, false,
               "Green Zone Max"},
    MemberInfo{DispId::MaxYellowZone, "MaxYellowZone", MemberType::Double, false, false,
               "Yellow Zone Max"},
    MemberInfo{DispId::MaxRedZone, "MaxRedZone", MemberType::Double, false, false, "Red Zone Max"},
    MemberInfo{DispId::Value, "Value", MemberType::Double, false, false, "ｹｲｿｸﾁ"},
    MemberInfo{DispId::Appearance, "Appearance", MemberType::Int16, false, true,
               "ｺﾝﾄﾛｰﾙﾋｮｳｼﾞ (ﾌﾗｯﾄ/3D)"},
    MemberInfo{DispId::BackColor, "BackColor", MemberType::Colour, false, true, "ﾊﾞｯｸｸﾞﾗﾝﾄﾞｶﾗｰ"},
    MemberInfo{DispId::BorderStyle, "BorderStyle", MemberType::Int16, false, true, "ﾎﾞｰﾀｽﾀｲﾙ"},
    MemberInfo{DispId::Caption, "Caption", MemberType::Text, false, true, "ｷｬﾌﾟｼｮﾝ"},
    MemberInfo{DispId::ReadyState, "ReadyState", MemberType::Int32, true, false, ""},
    MemberInfo{DispId::AboutBox, "AboutBox", MemberType::Method, false, false, ""},
};

constexpr std::array TypeLibrary = {
    DispId::Appearance,  DispId::BackColor,    DispId::BorderStyle,  DispId::Caption,
    DispId::MinValue,    DispId::MaxValue,     DispId::ScaleColor,   DispId::NeedleColor,
    DispId::NumberColor, DispId::CaptionColor, DispId::DecmalLength, DispId::ReadyState,
    DispId::NumberFont,  DispId::CaptionFont,  DispId::MaxGreenZone, DispId::MaxYellowZone,
    DispId::MaxRedZone,  DispId::ThickNeedle,  DispId::Value,        DispId::TriggerEnabed,
    DispId::AboutBox,
};

}  // namespace

std::span<const MemberInfo> DispatchMembers() noexcept {
    return Members;
}

std::span<const DispId> TypeLibraryOrder() noexcept {
    return TypeLibrary;
}

const MemberInfo* FindMember(DispId id) noexcept {
    const auto found = std::find_if(Members.begin(), Members.end(),
                                    [id](const MemberInfo& m) { return m.id == id; });
    return found == Members.end() ? nullptr : &*found;
}

const MemberInfo* FindMember(std::string_view name) noexcept {
    const auto found = std::find_if(Members.begin(), Members.end(),
                                    [name](const MemberInfo& m) { return m.name == name; });
    return found == Members.end() ? nullptr : &*found;
}

}  // namespace meter
