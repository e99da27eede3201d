#pragma once

#include <string>

namespace orvane {

// The difference of two figures as a table shows them, for a column beside them: each is
// first taken as its value boxes' text shows it (to two decimals), so that the three
// cells of a line add up (13.19 and 13.12 differ by 0.07, whatever the third decimals
// were). The text is the value boxes' form of the difference, with two decimals always
// when `twoDecimals` (as computed items are shown); one that rounds to nothing reads
// 0, never "-0.00".
std::string ShownDifference(double figure, double reference, bool twoDecimals = false);

}  // namespace orvane
