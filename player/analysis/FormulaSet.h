#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ComputedItem.h"
#include "analysis/Expression.h"
#include "analysis/LogOutline.h"
#include "log/ComputedItemDefinition.h"

namespace orvane {

// The values of a FormulaSet at consecutive samples.
struct FormulaValues {
    std::int64_t FirstSample = 0;
    std::size_t Count = 0;
    // Items[i][n]: computed item i at sample FirstSample + n; NaN where it has no value
    // (a result that is not a finite number, and every sample of an absent item).
    std::vector<std::vector<double>> Items;
    // Pass[n]: 1 where the filter holds at sample FirstSample + n (everywhere without a
    // filter), else 0. A condition holds where its value is a number other than 0.
    std::vector<std::uint8_t> Pass;
};

// The computed items and the filter of one log, bound to its slots and ready to be
// evaluated record by record.
//
// An item whose formula names an item or switch the log does not record is absent for
// that log: it has no value anywhere, and AbsentReason says why. A filter that does so
// cannot be used (FilterProblem).
//
// A formula of one or two logged values (rpm, or ipw * rpm, or rpm - rpm_prev) has at
// most 65,536 inputs: once it has been evaluated that often, its values for all of them
// are worked out into a table and looked up from then on, so a long pass costs a table
// look-up per sample.
//
// A FormulaSet is for one thread at a time; a copy is independent (give each thread
// its own).
class FormulaSet {
public:
    // No computed item, no filter: every sample passes.
    FormulaSet() = default;

    // `filter` empty: no filter.
    FormulaSet(const LogOutline& outline, std::vector<ComputedItem> items,
               std::optional<Expression> filter);

    // Compiles the definitions and the filter (blank: none) for a log. nullopt with the
    // reason in `error` when a formula does not compile ("Inj duty: Unexpected end of
    // expression at position 11") or the filter does not ("filter: ...").
    static std::optional<FormulaSet> Prepare(const LogOutline& outline,
                                             std::span<const ComputedItemDefinition> items,
                                             std::string_view filter, std::string& error);

    bool Empty() const noexcept { return items_.empty() && !filter_; }

    std::size_t ItemCount() const noexcept { return items_.size(); }
    const ComputedItem& Item(std::size_t i) const { return items_[i].Item; }
    // The index of the item named `name`; nullopt when there is none.
    std::optional<std::size_t> IndexOf(std::string_view name) const noexcept;
    bool Present(std::size_t i) const { return items_[i].Absent.empty(); }
    // Why item i has no values for this log ("needs maf (Mass air flow), which the log
    // does not record"); empty when it is present.
    const std::string& AbsentReason(std::size_t i) const { return items_[i].Absent; }

    bool Filtered() const noexcept { return filter_.has_value(); }
    // The filter's condition as given; empty without a filter.
    const std::string& FilterText() const noexcept;
    // Why the filter cannot be used for this log ("the filter needs ..."); empty when it
    // can (or there is none).
    const std::string& FilterProblem() const noexcept { return filterProblem_; }

    // Tells the set that about `samples` samples are to be evaluated, by this set or by
    // copies made from now on: the tables that will pay are made at once and shared by
    // the copies, instead of each copy making its own.
    void Expect(std::int64_t samples);

    // Evaluates whole records (`records`, the first of them sample `firstSample`) into
    // `out`. `previous` is the record before the first one (the first one itself at the
    // log's first sample); `firstMillis` the Millis of the log's first sample.
    void Evaluate(std::int64_t firstSample, const std::uint8_t* previous, std::int32_t firstMillis,
                  std::span<const std::uint8_t> records, FormulaValues& out);

private:
    // Where a name's value comes from and what it is for each byte there.
    struct Input {
        ExpressionName Name;
        int At = 0;  // byte offset in the record (slot bytes); unused for t and dt
        std::array<double, 256> Values{};
        int Source = -1;  // which of the table's byte sources; -1 for t and dt
    };
    // One formula bound to the log's slots.
    struct Bound {
        Expression Formula;
        std::vector<Input> Inputs;
        // The distinct bytes (offset, previous record or not) the inputs read; a table
        // is possible for at most two of them and no t or dt.
        std::vector<std::pair<int, bool>> Sources;
        bool Tabular = false;
        // By byte of source 0 + 256 * byte of source 1; shared by copies (never changed
        // once made).
        std::shared_ptr<const std::vector<double>> Table;
        std::int64_t Evaluated = 0;

        void Run(const std::uint8_t* previous, std::int32_t firstMillis,
                 std::span<const std::uint8_t> records, double* out);
        void BuildTable();
    };
    struct Entry {
        ComputedItem Item;
        std::string Absent;
        std::optional<Bound> Formula;  // when present
    };

    // The formula bound to the outline's slots, or the names the log lacks.
    static std::optional<Bound> Bind(const Expression& formula, const LogOutline& outline,
                                     std::string& missing);

    std::vector<Entry> items_;
    std::optional<Expression> filter_;
    std::optional<Bound> filterBound_;
    std::string filterProblem_;
    std::vector<double> filterValues_;
};

// "CONDITION: PASSED of TOTAL samples", the numbers grouped by thousands ("tps > 90: 812
// of 9,421 samples"): what a filtered view says about itself.
std::string FilterSummaryText(std::string_view condition, std::int64_t passed, std::int64_t total);

}  // namespace orvane
