#include "log/SampleRange.h"

namespace orvane {

std::string RangeProblem(SampleRange range, std::int64_t records) {
    if (records < 1) return "the log has no samples";
    const std::string samples = "(samples 1 to " + std::to_string(records) + ")";
    if (range.Empty()) {
        return "the range " + std::to_string(range.First) + " to " + std::to_string(range.Last) +
               " is empty";
    }
    if (range.First < 1) {
        return "sample " + std::to_string(range.First) + " is not in the log " + samples;
    }
    if (range.Last > records) {
        return "sample " + std::to_string(range.Last) + " is beyond the end of the log " + samples;
    }
    return {};
}

}  // namespace orvane
