// With ORVANE_TEST_TWO_HALVES set, every computation of this test program reads its
// samples in two halves at once (one thread each), so that the whole suite checks the
// merging of the halves against the same direct computations.
#include "analysis/TwoHalves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "LogBuilder.h"
#include "TempDir.h"

namespace orvane {
namespace {

[[maybe_unused]] const bool kInTwoHalves = [] {
    const bool on = std::getenv("ORVANE_TEST_TWO_HALVES") != nullptr;
    if (on) SetTwoHalvesMinimum(2);
    return on;
}();

// The parts InTwoHalves hands out, in order.
std::vector<SampleRange> Parts(const LogFile& log, SampleRange range, std::int64_t minimum,
                               std::int64_t alignTo) {
    std::mutex mutex;
    std::vector<std::pair<int, SampleRange>> parts;
    InTwoHalves(log, range, minimum, alignTo,
                [&](const LogFile& file, SampleRange part, int index) {
                    EXPECT_TRUE(file.IsOpen() || !log.IsOpen());
                    const std::lock_guard lock(mutex);
                    parts.emplace_back(index, part);
                });
    std::sort(parts.begin(), parts.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<SampleRange> ranges;
    for (const auto& part : parts) ranges.push_back(part.second);
    return ranges;
}

TEST(TwoHalves, LongRangesSplitOnWholeUnitsShortOnesDoNot) {
    const testing::TempDir dir;
    const std::string path = dir.File("orvn0001.bin");
    testing::WriteBytes(path, testing::LogBuilder().Slots({33}).StartDate(0).Numbered(100).Bytes());
    LogFile log;
    ASSERT_TRUE(log.Open(path));
    EXPECT_EQ(Parts(log, {1, 100}, 10, 1), (std::vector<SampleRange>{{1, 50}, {51, 100}}));
    EXPECT_EQ(Parts(log, {1, 100}, 10, 8), (std::vector<SampleRange>{{1, 48}, {49, 100}}));
    EXPECT_EQ(Parts(log, {3, 7}, 2, 1), (std::vector<SampleRange>{{3, 4}, {5, 7}}));
    EXPECT_EQ(Parts(log, {1, 100}, 101, 1), (std::vector<SampleRange>{{1, 100}}));
    EXPECT_EQ(Parts(log, {1, 10}, 2, 8), (std::vector<SampleRange>{{1, 10}}));
    // A file that cannot be duplicated is read in one part.
    LogFile closed;
    EXPECT_EQ(Parts(closed, {1, 100}, 10, 1), (std::vector<SampleRange>{{1, 100}}));
}

}  // namespace
}  // namespace orvane
