// Any bytes as a number text: the leading-number rule, the strict rule and the
// conversions the layout applies must never crash, and numbers written in their
// general text form must read back the same.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "common/RuntimeError.h"
#include "settings/NumberText.h"
#include "settings/ValueConversion.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

template <typename F>
void Converts(F&& convert) {
    try {
        convert();
    } catch (const orvane::RuntimeError& error) {
        Require(error.Number() == orvane::ErrorNumber::Overflow ||
                error.Number() == orvane::ErrorNumber::TypeMismatch);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const double leading = orvane::LeadingNumber(text);
    Require(!std::isnan(leading));
    if (const auto whole = orvane::WholeNumber(text)) Require(*whole == leading);

    Converts([&] { orvane::ToSingle(leading); });
    Converts([&] { orvane::ToInt32(leading); });
    Converts([&] { orvane::ToInt16(leading); });
    Converts([&] { orvane::BooleanTextValue(text); });
    Converts([&] { orvane::StrictNumberValue(text); });

    if (std::isfinite(leading)) {
        // The general text is a fixed point of reading and writing.
        const std::string general = orvane::GeneralText(leading);
        Require(orvane::GeneralText(orvane::LeadingNumber(general)) == general);
    }
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        if (std::isfinite(raw)) {
            // Near the largest double, 15 digits can round up beyond it.
            const std::string general = orvane::GeneralText(raw);
            const double reread = orvane::LeadingNumber(general);
            if (std::isfinite(reread)) Require(orvane::GeneralText(reread) == general);
        }
        float single;
        std::memcpy(&single, data, sizeof single);
        if (std::isfinite(single)) {
            // Seven digits do not tell every float apart, but they are a fixed point.
            const std::string general = orvane::GeneralText(single);
            const double reread = orvane::LeadingNumber(general);
            if (std::fabs(reread) <= 3.4028234e38) {
                Require(orvane::GeneralText(static_cast<float>(reread)) == general);
            }
        }
    }
    return 0;
}
