#include "analysis/ExpressionName.h"

#include "log/ItemShortNames.h"

namespace orvane {
namespace {

constexpr std::string_view kPrevious = "_prev";

}  // namespace

std::int16_t ExpressionName::SourceCode() const noexcept {
    switch (What) {
        case Kind::Item:
            return Code;
        case Kind::Switch:
            return static_cast<std::int16_t>(SwitchItemCode(Switch));
        case Kind::Time:
        case Kind::Gap:
            break;
    }
    return -1;
}

std::optional<ExpressionName> ParseExpressionName(std::string_view name) noexcept {
    ExpressionName result;
    if (name == "t" || name == "dt") {
        result.What = name == "t" ? ExpressionName::Kind::Time : ExpressionName::Kind::Gap;
        return result;
    }
    if (name.size() > kPrevious.size() && name.ends_with(kPrevious)) {
        result.Previous = true;
        name.remove_suffix(kPrevious.size());
    }
    if (const auto code = ItemCodeOfShortName(name)) {
        result.What = ExpressionName::Kind::Item;
        result.Code = *code;
        return result;
    }
    if (const auto kind = SwitchOfShortName(name)) {
        result.What = ExpressionName::Kind::Switch;
        result.Switch = *kind;
        return result;
    }
    return std::nullopt;
}

std::string ExpressionNameText(const ExpressionName& name) {
    std::string text;
    switch (name.What) {
        case ExpressionName::Kind::Time:
            return "t";
        case ExpressionName::Kind::Gap:
            return "dt";
        case ExpressionName::Kind::Item:
            text = ShortItemName(name.Code);
            break;
        case ExpressionName::Kind::Switch:
            text = SwitchShortName(name.Switch);
            break;
    }
    if (name.Previous) text += kPrevious;
    return text;
}

}  // namespace orvane
