#include "analysis/ComputedCsvColumns.h"

#include <cstring>

namespace orvane {

std::optional<ComputedCsvColumns> ComputedCsvColumns::Start(const LogFile& log,
                                                            const FormulaSet& formulas,
                                                            std::int64_t firstSample,
                                                            std::string& error) {
    auto stream = FormulaStream::Start(log, formulas, firstSample, error);
    if (!stream) return std::nullopt;
    return ComputedCsvColumns(std::move(*stream), firstSample);
}

std::vector<std::string> ComputedCsvColumns::Names() const {
    std::vector<std::string> names;
    const FormulaSet& formulas = stream_.Formulas();
    for (std::size_t i = 0; i < formulas.ItemCount(); ++i) names.push_back(formulas.Item(i).Name());
    return names;
}

char* ComputedCsvColumns::AppendFields(char* at, const LogRecord& record) {
    const auto bytes = record.Encode();
    const FormulaValues& values = stream_.Next(sample_++, bytes);
    for (const std::vector<double>& item : values.Items) {
        *at++ = ',';
        const std::string text = ComputedItem::ValueText(item[0]);
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
    return at;
}

}  // namespace orvane
