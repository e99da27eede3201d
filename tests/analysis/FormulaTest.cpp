#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>

#include "LogBuilder.h"
#include "PlantedLog.h"
#include "analysis/ComputedCsvColumns.h"
#include "analysis/FormulaStream.h"
#include "log/CsvExport.h"
#include "log/ItemShortNames.h"

namespace orvane {
namespace {

using testing::PlantedLog;

FormulaSet Formulas(const LogFile& log, const std::vector<std::string>& formulas,
                    std::string_view filter = "") {
    std::vector<ComputedItemDefinition> items;
    for (const std::string& formula : formulas) items.push_back({formula, "", formula, {}, {}});
    std::string error;
    const auto outline = LogOutline::Of(log, error);
    EXPECT_TRUE(outline) << error;
    auto set = FormulaSet::Prepare(*outline, items, filter, error);
    EXPECT_TRUE(set) << error;
    return std::move(*set);
}

FormulaValues Values(const LogFile& log, const FormulaSet& formulas, SampleRange range) {
    std::string error;
    auto values = ReadFormulaValues(log, formulas, range, {}, error);
    EXPECT_TRUE(values) << error;
    return std::move(*values);
}

TEST(Formula, EveryNameIsTheValueBoxValueAndItsPrevFormTheSampleBefore) {
    // The named items in two logs (there are more than 18), the switch bytes in the first.
    std::vector<std::vector<std::int16_t>> logs(2);
    for (const ShortNameEntry& item : NamedItems()) {
        logs[logs[0].size() < 16 ? 0 : 1].push_back(item.Code);
    }
    logs[0].push_back(2);
    logs[0].push_back(0);
    logs[1].insert(logs[1].end(), {62, 99, 300});  // no formula, unknown, beyond a byte
    for (const auto& codes : logs) {
        PlantedLog log(codes);
        log.Random(300, 17);
        const LogFile& file = log.Open();
        std::vector<std::string> names;
        std::vector<std::pair<int, std::int16_t>> slots;  // slot and code of each name
        for (std::size_t k = 0; k < codes.size(); ++k) {
            if (IsSwitchCode(codes[k])) continue;
            for (const std::string& name :
                 {ShortItemName(codes[k]), "c" + std::to_string(codes[k])}) {
                names.push_back(name);
                names.push_back(name + "_prev");
                slots.emplace_back(static_cast<int>(k + 1), codes[k]);
            }
        }
        const auto values = Values(file, Formulas(file, names), {1, 300});
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const auto [slot, code] = slots[i];
            for (std::int64_t s = 1; s <= 300; ++s) {
                SCOPED_TRACE(names[2 * i] + " at " + std::to_string(s));
                const auto n = static_cast<std::size_t>(s - 1);
                ASSERT_EQ(values.Items[2 * i][n], log.Value(s, slot));
                ASSERT_EQ(values.Items[2 * i + 1][n], log.Value(s == 1 ? 1 : s - 1, slot));
            }
        }
        if (codes.back() != 0) continue;
        const std::vector<std::pair<std::string, SwitchKind>> switches{
            {"idle", SwitchKind::Idle},
            {"power", SwitchKind::Power},
            {"ac", SwitchKind::Ac},
            {"tdc", SwitchKind::Tdc},
            {"ac_relay", SwitchKind::AcRelay}};
        std::vector<std::string> switchNames;
        for (const auto& [name, kind] : switches) switchNames.push_back(name);
        const auto on = Values(file, Formulas(file, switchNames), {1, 300});
        for (std::size_t i = 0; i < switches.size(); ++i) {
            const int slot = switches[i].second == SwitchKind::AcRelay ? 18 : 17;
            for (std::int64_t s = 1; s <= 300; ++s) {
                ASSERT_EQ(on.Items[i][static_cast<std::size_t>(s - 1)],
                          SwitchIsOn(switches[i].second, log.Raw(s, slot)) ? 1 : 0)
                    << switches[i].first << " at " << s;
            }
        }
    }
}

TEST(Formula, TimeAndGapCountFromTheLogsFirstSampleAndAcrossAPause) {
    PlantedLog log({33});
    for (const std::int32_t millis : {500, 600, 700, 5700, 5800}) {
        LogRecord record;
        record.Millis = millis;
        record.SlotBytes[0] = static_cast<std::uint8_t>(millis / 100);
        log.records.push_back(record);
    }
    const LogFile& file = log.Open();
    const FormulaSet formulas = Formulas(file, {"t", "dt", "rpm - rpm_prev"});
    const auto all = Values(file, formulas, {1, 5});
    const double t[] = {0, 0.1, 0.2, 5.2, 5.3};
    const double dt[] = {0, 0.1, 0.1, 5.0, 0.1};
    for (std::size_t n = 0; n < 5; ++n) {
        EXPECT_DOUBLE_EQ(all.Items[0][n], t[n]) << n;
        EXPECT_DOUBLE_EQ(all.Items[1][n], dt[n]) << n;
    }
    EXPECT_EQ(all.Items[2][0], 0);  // no sample before the first
    EXPECT_EQ(all.Items[2][3], log.Value(4, 1) - log.Value(3, 1));
    // A range that starts after the pause still counts from the log's first sample and
    // sees the sample before it.
    const auto later = Values(file, formulas, {4, 5});
    EXPECT_DOUBLE_EQ(later.Items[0][0], 5.2);
    EXPECT_DOUBLE_EQ(later.Items[1][0], 5.0);
    EXPECT_EQ(later.Items[2][0], all.Items[2][3]);
}

TEST(Formula, BadFormulasAreRefusedWithTheLibrarysMessageAndPosition) {
    const std::vector<std::tuple<std::string, std::string, int>> cases{
        {"", "Expression is empty.", -1},
        {"rpm +", "Unexpected end of expression at position 6", 5},
        {"foo + 1", "Unexpected token \"foo\" found at position 0.", 0},
        {"rpm_prev_prev", "Unexpected token \"rpm_prev_prev\" found at position 0.", 0},
        {"t_prev * 2", "Unexpected token \"t_prev\" found at position 0.", 0},
        {"sqrt(rpm, 2)", "Too many parameters for function \"sqrt\" at expression position 11", 11},
        {"min()", "Too few parameters for function \"min\" at expression position 5", 5},
        {"(rpm * 2", "Missing parenthesis", 8},
        {"rpm > 3 ? 1", "If-then-else operator is missing an else clause", -1},
        {"rpm = 3000", "\"=\" assigns a value; compare with \"==\"", 4},
        {"rpm, tps", "the formula gives 2 values separated by commas; it must give one", -1},
    };
    for (const auto& [formula, message, position] : cases) {
        ExpressionError error;
        EXPECT_FALSE(Expression::Compile(formula, error)) << formula;
        EXPECT_EQ(error.Message, message) << formula;
        EXPECT_EQ(error.Position, position) << formula;
    }
    ExpressionError error;
    Expression::Compile("(rpm * 2", error);
    EXPECT_EQ(error.Text(), "Missing parenthesis (position 8)");
    for (const char* good : {"rpm == 3000", "rpm >= 3000 && tps <= 90 || idle != 1", "_pi * t"}) {
        EXPECT_TRUE(Expression::Compile(good, error)) << good << ": " << error.Text();
    }
}

TEST(Formula, ResultsThatAreNoNumberHaveNoValue) {
    PlantedLog log({23, 33});
    log.Random(400, 3);
    const LogFile& file = log.Open();
    const auto values =
        Values(file, Formulas(file, {"1 / (rpm - rpm)", "sqrt(tps - 50)", "-1 / 0"}), {1, 400});
    for (std::size_t n = 0; n < 400; ++n) {
        EXPECT_TRUE(std::isnan(values.Items[0][n]));
        const double tps = log.Value(static_cast<std::int64_t>(n + 1), 1);
        if (tps < 50) {
            EXPECT_TRUE(std::isnan(values.Items[1][n]));
        } else {
            EXPECT_DOUBLE_EQ(values.Items[1][n], std::sqrt(tps - 50));
        }
        EXPECT_TRUE(std::isnan(values.Items[2][n]));  // minus infinity
    }
}

TEST(Formula, AnItemTheLogLacksMakesTheComputedItemAbsentAndTheFilterUnusable) {
    PlantedLog log({33, 23});
    log.Random(10, 1);
    const LogFile& file = log.Open();
    const FormulaSet formulas =
        Formulas(file, {"maf / rpm", "idle + knock + maf", "rpm"}, "egr > 1");
    EXPECT_EQ(formulas.AbsentReason(0), "needs maf (Mass air flow), which the log does not record");
    EXPECT_EQ(formulas.AbsentReason(1),
              "needs idle (a switch of Switch status), knock (Knock sum) and maf (Mass air flow), "
              "which the log does not record");
    EXPECT_TRUE(formulas.Present(2));
    EXPECT_EQ(formulas.FilterProblem(),
              "the filter needs egr (EGR temp), which the log does not record");
    const auto values = Values(file, formulas, {1, 10});
    EXPECT_TRUE(std::isnan(values.Items[0][3]));
    EXPECT_EQ(values.Items[2][3], log.Value(4, 1));
}

TEST(Formula, TablesOfOneAndTwoLoggedValuesGiveWhatEvaluatingEverySampleGives) {
    // Long enough for the look-up tables (65,536 evaluations) to take over mid-pass.
    PlantedLog log({33, 41, 23, 2});
    log.Random(150'000, 23);
    const LogFile& file = log.Open();
    const std::vector<std::string> formulas{"ipw * rpm / 1200", "(rpm - rpm_prev) * 2", "tps > 50",
                                            "idle + idle_prev", "7"};
    const auto values =
        Values(file, Formulas(file, formulas, "tps > 50 && rpm > 3000"), {1, 150'000});
    for (std::int64_t s = 1; s <= 150'000; ++s) {
        const auto n = static_cast<std::size_t>(s - 1);
        const std::int64_t p = s == 1 ? 1 : s - 1;
        const double rpm = log.Value(s, 1), ipw = log.Value(s, 2), tps = log.Value(s, 3);
        ASSERT_EQ(values.Items[0][n], ipw * rpm / 1200) << s;
        ASSERT_EQ(values.Items[1][n], (rpm - log.Value(p, 1)) * 2) << s;
        ASSERT_EQ(values.Items[2][n], tps > 50 ? 1 : 0) << s;
        ASSERT_EQ(values.Items[3][n], (log.Raw(s, 4) >> 7) + (log.Raw(p, 4) >> 7)) << s;
        ASSERT_EQ(values.Items[4][n], 7) << s;
        ASSERT_EQ(values.Pass[n], tps > 50 && rpm > 3000 ? 1 : 0) << s;
    }
}

TEST(Formula, CsvColumnsFollowTheLogsOwnWithTwoDecimalsAndEmptyFieldsForNoValue) {
    PlantedLog log({33, 41});
    log.Random(50, 8);
    const LogFile& file = log.Open();
    const FormulaSet formulas = Formulas(file, {"ipw * rpm / 1200", "1 / (rpm - rpm_prev)", "maf"});
    std::string error;
    auto columns = ComputedCsvColumns::Start(file, formulas, 20, error);
    ASSERT_TRUE(columns) << error;
    const std::string path = log.dir.File("out.csv");
    {
        testing::FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        const CsvExport exporter(testing::kPlantedStart, std::array<std::int16_t, SlotCount>{
                                                             33, 41, -1, -1, -1, -1, -1, -1, -1, -1,
                                                             -1, -1, -1, -1, -1, -1, -1, -1});
        ASSERT_TRUE(exporter.WriteRangeTo(file, {20, 22}, fd.Get(), {}, &*columns).Ok);
    }
    const std::string text = testing::ReadText(path);
    const auto firstLine = text.substr(0, text.find('\n') + 1);
    EXPECT_EQ(firstLine,
              "Date,Time,Milliseconds,Engine speed,Inj pulse width,ipw * rpm / 1200,"
              "1 / (rpm - rpm_prev),maf\r\n");
    std::size_t at = firstLine.size();
    for (std::int64_t s = 20; s <= 22; ++s) {
        const std::string line = text.substr(at, text.find('\n', at) + 1 - at);
        at += line.size();
        const double rate = 1 / (log.Value(s, 1) - log.Value(s - 1, 1));
        const std::string expected =
            "," + ComputedItem::ValueText(log.Value(s, 2) * log.Value(s, 1) / 1200) + "," +
            ComputedItem::ValueText(std::isfinite(rate) ? rate : NAN) + ",\r\n";
        EXPECT_TRUE(line.ends_with(expected)) << line << " / " << expected;
    }
    EXPECT_EQ(ComputedItem::ValueText(12.3), "12.30");
    EXPECT_EQ(ComputedItem::ValueText(3125), "3125.00");
    EXPECT_EQ(ComputedItem::ValueText(2.675), "2.68");
    EXPECT_EQ(ComputedItem::ValueText(NAN), "");
}

TEST(Formula, FilterSummarySaysHowManySamplesRemain) {
    EXPECT_EQ(FilterSummaryText("tps > 90", 812, 9421), "tps > 90: 812 of 9,421 samples");
    EXPECT_EQ(FilterSummaryText("1", 0, 1'234'567), "1: 0 of 1,234,567 samples");
    EXPECT_EQ(FilterSummaryText("x", 999, 100'000), "x: 999 of 100,000 samples");
}

}  // namespace
}  // namespace orvane
