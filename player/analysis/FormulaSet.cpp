#include "analysis/FormulaSet.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "log/ByteOrder.h"
#include "log/LogFormat.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::int32_t MillisOf(const std::uint8_t* record) noexcept {
    return static_cast<std::int32_t>(byteorder::LoadU32(record));
}

// "maf (Mass air flow)", "idle (a switch of Switch status)", "c99".
std::string NameWithMeaning(const ExpressionName& name) {
    std::string text = ExpressionNameText(name);
    const std::int16_t code = name.SourceCode();
    const std::string_view meaning = SensorName(code);
    if (meaning.empty()) return text;
    text += name.What == ExpressionName::Kind::Switch ? " (a switch of " : " (";
    text += meaning;
    text += ')';
    return text;
}

std::size_t TableSize(std::size_t sources) noexcept {
    std::size_t size = 1;
    for (std::size_t i = 0; i < sources; ++i) size *= 256;
    return size;
}

}  // namespace

std::optional<FormulaSet::Bound> FormulaSet::Bind(const Expression& formula,
                                                  const LogOutline& outline, std::string& missing) {
    Bound bound{formula, {}, {}, false, {}, 0};
    std::vector<std::string> lacking;
    bool timed = false;
    for (const ExpressionName& name : formula.Names()) {
        Input input;
        input.Name = name;
        if (name.What == ExpressionName::Kind::Time || name.What == ExpressionName::Kind::Gap) {
            timed = true;
            bound.Inputs.push_back(input);
            continue;
        }
        const int slot = outline.SlotOf(name.SourceCode());
        if (slot == 0) {
            const std::string text = NameWithMeaning(name);
            if (std::find(lacking.begin(), lacking.end(), text) == lacking.end()) {
                lacking.push_back(text);
            }
            continue;
        }
        input.At = 4 + slot - 1;
        if (name.What == ExpressionName::Kind::Item) {
            input.Values = ValueTable(name.Code);
        } else {
            for (int b = 0; b < 256; ++b) {
                input.Values[static_cast<std::size_t>(b)] =
                    SwitchIsOn(name.Switch, static_cast<std::uint8_t>(b)) ? 1.0 : 0.0;
            }
        }
        const std::pair<int, bool> source{input.At, name.Previous};
        const auto found = std::find(bound.Sources.begin(), bound.Sources.end(), source);
        input.Source = static_cast<int>(found - bound.Sources.begin());
        if (found == bound.Sources.end()) bound.Sources.push_back(source);
        bound.Inputs.push_back(input);
    }
    if (!lacking.empty()) {
        missing = "needs ";
        for (std::size_t i = 0; i < lacking.size(); ++i) {
            if (i > 0) missing += i + 1 == lacking.size() ? " and " : ", ";
            missing += lacking[i];
        }
        missing += ", which the log does not record";
        return std::nullopt;
    }
    bound.Tabular = !timed && bound.Sources.size() <= 2;
    return bound;
}

void FormulaSet::Bound::BuildTable() {
    const std::size_t size = TableSize(Sources.size());
    auto table = std::make_shared<std::vector<double>>(size);
    for (std::size_t index = 0; index < size; ++index) {
        const std::size_t bytes[2] = {index & 0xFF, index >> 8};
        for (std::size_t i = 0; i < Inputs.size(); ++i) {
            const Input& input = Inputs[i];
            Formula.SetInput(i, input.Values[bytes[static_cast<std::size_t>(input.Source)]]);
        }
        (*table)[index] = Formula.Evaluate();
    }
    Table = std::move(table);
}

void FormulaSet::Bound::Run(const std::uint8_t* previous, std::int32_t firstMillis,
                            std::span<const std::uint8_t> records, double* out) {
    const std::size_t count = records.size() / RecordSize;
    // Worth a table once a table's worth of samples has been evaluated one by one.
    if (Tabular && !Table &&
        static_cast<std::size_t>(Evaluated) + count > TableSize(Sources.size())) {
        BuildTable();
    }
    const std::uint8_t* record = records.data();
    if (Table) {
        const double* const table = Table->data();
        const auto byteAt = [&](std::size_t source, const std::uint8_t* before,
                                const std::uint8_t* now) -> std::size_t {
            const auto& [at, fromPrevious] = Sources[source];
            return (fromPrevious ? before : now)[at];
        };
        const std::size_t sources = Sources.size();
        for (std::size_t n = 0; n < count; ++n, record += RecordSize) {
            const std::uint8_t* before = n == 0 ? previous : record - RecordSize;
            std::size_t index = 0;
            if (sources > 0) index = byteAt(0, before, record);
            if (sources > 1) index |= byteAt(1, before, record) << 8;
            out[n] = table[index];
        }
        return;
    }
    for (std::size_t n = 0; n < count; ++n, record += RecordSize) {
        const std::uint8_t* before = n == 0 ? previous : record - RecordSize;
        for (std::size_t i = 0; i < Inputs.size(); ++i) {
            const Input& input = Inputs[i];
            double value = 0;
            switch (input.Name.What) {
                case ExpressionName::Kind::Time:
                    value = static_cast<double>(static_cast<std::int64_t>(MillisOf(record)) -
                                                firstMillis) /
                            1000.0;
                    break;
                case ExpressionName::Kind::Gap:
                    value = static_cast<double>(static_cast<std::int64_t>(MillisOf(record)) -
                                                MillisOf(before)) /
                            1000.0;
                    break;
                case ExpressionName::Kind::Item:
                case ExpressionName::Kind::Switch:
                    value = input.Values[(input.Name.Previous ? before : record)[input.At]];
                    break;
            }
            Formula.SetInput(i, value);
        }
        out[n] = Formula.Evaluate();
    }
    Evaluated += static_cast<std::int64_t>(count);
}

FormulaSet::FormulaSet(const LogOutline& outline, std::vector<ComputedItem> items,
                       std::optional<Expression> filter)
    : filter_(std::move(filter)) {
    for (ComputedItem& item : items) {
        Entry entry{std::move(item), {}, {}};
        entry.Formula = Bind(entry.Item.Formula(), outline, entry.Absent);
        items_.push_back(std::move(entry));
    }
    if (filter_) {
        std::string missing;
        filterBound_ = Bind(*filter_, outline, missing);
        if (!filterBound_) filterProblem_ = "the filter " + missing;
    }
}

std::optional<FormulaSet> FormulaSet::Prepare(const LogOutline& outline,
                                              std::span<const ComputedItemDefinition> items,
                                              std::string_view filter, std::string& error) {
    std::vector<ComputedItem> compiled;
    ExpressionError problem;
    for (const ComputedItemDefinition& definition : items) {
        auto item = ComputedItem::Compile(definition, problem);
        if (!item) {
            error = definition.Name + ": " + problem.Text();
            return std::nullopt;
        }
        compiled.push_back(std::move(*item));
    }
    std::optional<Expression> condition;
    const auto blank = filter.find_first_not_of(" \t");
    if (blank != std::string_view::npos) {
        condition = Expression::Compile(filter, problem);
        if (!condition) {
            error = "filter: " + problem.Text();
            return std::nullopt;
        }
    }
    return FormulaSet(outline, std::move(compiled), std::move(condition));
}

void FormulaSet::Expect(std::int64_t samples) {
    const auto prepare = [samples](std::optional<Bound>& bound) {
        if (bound && bound->Tabular && !bound->Table &&
            static_cast<std::size_t>(samples) > TableSize(bound->Sources.size())) {
            bound->BuildTable();
        }
    };
    for (Entry& entry : items_) prepare(entry.Formula);
    prepare(filterBound_);
}

std::optional<std::size_t> FormulaSet::IndexOf(std::string_view name) const noexcept {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].Item.Name() == name) return i;
    }
    return std::nullopt;
}

const std::string& FormulaSet::FilterText() const noexcept {
    static const std::string kNoFilter;
    return filter_ ? filter_->Formula() : kNoFilter;
}

void FormulaSet::Evaluate(std::int64_t firstSample, const std::uint8_t* previous,
                          std::int32_t firstMillis, std::span<const std::uint8_t> records,
                          FormulaValues& out) {
    const std::size_t count = records.size() / RecordSize;
    out.FirstSample = firstSample;
    out.Count = count;
    out.Items.resize(items_.size());
    for (std::size_t i = 0; i < items_.size(); ++i) {
        std::vector<double>& values = out.Items[i];
        values.resize(count);
        if (items_[i].Formula) {
            items_[i].Formula->Run(previous, firstMillis, records, values.data());
        } else {
            std::fill(values.begin(), values.end(), kNone);
        }
    }
    out.Pass.resize(count);
    if (!filter_) {
        std::fill(out.Pass.begin(), out.Pass.end(), std::uint8_t{1});
    } else if (!filterBound_) {
        std::fill(out.Pass.begin(), out.Pass.end(), std::uint8_t{0});
    } else {
        filterValues_.resize(count);
        filterBound_->Run(previous, firstMillis, records, filterValues_.data());
        for (std::size_t n = 0; n < count; ++n) {
            const double v = filterValues_[n];
            out.Pass[n] = !std::isnan(v) && v != 0 ? 1 : 0;
        }
    }
}

namespace {

std::string Grouped(std::int64_t number) {
    std::string digits = std::to_string(number < 0 ? -number : number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ',');
    }
    return number < 0 ? "-" + digits : digits;
}

}  // namespace

std::string FilterSummaryText(std::string_view condition, std::int64_t passed, std::int64_t total) {
    return std::string(condition) + ": " + Grouped(passed) + " of " + Grouped(total) + " samples";
}

}  // namespace orvane
