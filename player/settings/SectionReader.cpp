#include "settings/SectionReader.h"

#include <stdexcept>

#include "common/RuntimeError.h"
#include "log/modOrvane.h"
#include "settings/NumberText.h"
#include "settings/ValueConversion.h"
#include "settings/modCommon.h"

namespace orvane {
namespace {

bool IsNumeric(ReadKind kind) noexcept {
    return kind == ReadKind::Number;
}

// The physical value of `raw` for the item `itemCode`, which the catalogue takes as
// a byte: an item code outside 0 to 255 does not fit and is an overflow.
double CatalogueValue(int itemCode, std::uint8_t raw) {
    if (!IsByteCode(itemCode)) throw RuntimeError(ErrorNumber::Overflow);
    return ConvertValue(static_cast<std::uint8_t>(itemCode), raw);
}

// The default of a key as the text handed to ReadSetting.
std::string DefaultText(const KeyDef& key, int slot, int itemCode, const double* callerDefault) {
    const KeyDefault& def = key.defaultValue;
    switch (def.kind) {
        case DefaultKind::Fixed:
            return IsNumeric(key.kind) ? GeneralText(def.number) : std::string(def.text);
        case DefaultKind::SlotVisible:
            return slot < 10 ? "True" : "False";
        case DefaultKind::SlotLeft:
            return slot % 2 == 0 ? "16" : "240";
        case DefaultKind::SlotTop:
            return GeneralText(def.number + 64.0 * (slot / 2));
        case DefaultKind::CatalogueRaw0:
            return GeneralText(CatalogueValue(itemCode, 0));
        case DefaultKind::CatalogueRaw255:
            return GeneralText(CatalogueValue(itemCode, 255));
        case DefaultKind::Caller:
            if (callerDefault == nullptr) {
                throw std::logic_error("settings key " + std::string(KeyName(key.key)) +
                                       " needs a default from the caller");
            }
            return GeneralText(*callerDefault);
    }
    return {};
}

// A number converted to the key's target; the stored double is exact for it.
double ToTarget(double number, Target target) {
    switch (target) {
        case Target::Single:
            return ToSingle(number);
        case Target::Int32:
        case Target::Colour:
            return ToInt32(number);
        case Target::Int16:
            return ToInt16(number);
        default:
            return ToFinite(number);
    }
}

}  // namespace

SectionReader::SectionReader(SectionId id, int slot, int itemCode, std::string fileName)
    : def_(&LayoutSection(id)),
      slot_(slot),
      itemCode_(itemCode),
      name_(SectionName(id, slot)),
      fileName_(std::move(fileName)) {
    if (def_->perSlot && (slot < 1 || slot > DisplaySlotCount)) {
        throw std::out_of_range("settings section " + std::string(def_->name) +
                                " needs a slot from 1 to 15");
    }
}

SectionReader SectionReader::Defaults(SectionId id, int slot, int itemCode) {
    SectionReader reader(id, slot, itemCode);
    reader.defaultsOnly_ = true;
    return reader;
}

SettingValue SectionReader::Read(const KeyDef& key) const {
    return ReadWith(key, 0, nullptr);
}

SettingValue SectionReader::Read(Key key) const {
    return ReadWith(LayoutKey(def_->id, key), 0, nullptr);
}

SettingValue SectionReader::Read(Key key, double callerDefault) const {
    return ReadWith(LayoutKey(def_->id, key), 0, &callerDefault);
}

SettingValue SectionReader::ReadNumbered(Key key, int index) const {
    const KeyDef& def = LayoutKey(def_->id, key);
    if (!def.numbered || index < 1 || index > SlotCount) {
        throw std::out_of_range("settings key " + std::string(KeyName(key)) + " has no index " +
                                std::to_string(index));
    }
    return ReadWith(def, index, nullptr);
}

SettingValue SectionReader::ReadWith(const KeyDef& key, int index,
                                     const double* callerDefault) const {
    // The default comes first: a catalogue default fails for a bad item code even when
    // the key is present.
    const std::string defaultText = DefaultText(key, slot_, itemCode_, callerDefault);
    const std::string keyName = KeyNameOf(key, index);

    // The raw text or number, from the slot's section or, for a common key whose own
    // value is missing or empty, from the common section with the default.
    std::string text;
    double number = 0;
    bool fromOwnValue = false;
    if (defaultsOnly_) {
        text = defaultText;
        fromOwnValue = true;
    } else if (key.common && !def_->commonName.empty()) {
        text = ReadSetting(name_, keyName, "", fileName_);
        fromOwnValue = !text.empty();
    }
    if (!fromOwnValue) {
        const std::string& section =
            key.common && !def_->commonName.empty() ? std::string(def_->commonName) : name_;
        text = ReadSetting(section, keyName, defaultText, fileName_);
    }
    if (IsNumeric(key.kind)) number = LeadingNumber(text);

    SettingValue value;
    switch (key.kind) {
        case ReadKind::Number:
            value.number = ToTarget(number, key.target);
            break;
        case ReadKind::StrictNumber:
            value.number = StrictNumberValue(text);
            break;
        case ReadKind::Flag:
            value.flag = FlagValue(text);
            break;
        case ReadKind::BooleanText:
            value.flag = BooleanTextValue(text);
            break;
        case ReadKind::Text:
            break;
    }
    value.text = std::move(text);
    return value;
}

}  // namespace orvane
