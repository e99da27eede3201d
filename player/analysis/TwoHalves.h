#pragma once

#include <cstdint>
#include <thread>

#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// Long passes over a log run in two halves at once, on the calling thread and a thread of
// its own, each reading the log through a file of its own, so a whole-log computation
// takes about half the time on a machine with two or more processors.
//
// Runs `work(file, part, index)` for the parts of `range`: for index 0 on the calling
// thread with `log`, for index 1 (when there is one) at the same time with a duplicate of
// `log`. A range of fewer than `minimum` samples, or a log whose file cannot be
// duplicated, makes one part. The second part starts at a sample after a whole multiple
// of `alignTo` samples from the range's first one. Returns the number of parts.
template <class Work>
int InTwoHalves(const LogFile& log, SampleRange range, std::int64_t minimum, std::int64_t alignTo,
                Work&& work) {
    const std::int64_t unit = alignTo > 0 ? alignTo : 1;
    const std::int64_t firstCount = range.Count() / 2 / unit * unit;
    LogFile duplicate;
    if (range.Count() < minimum || firstCount < 1 || !duplicate.OpenDuplicateOf(log)) {
        work(log, range, 0);
        return 1;
    }
    const SampleRange first{range.First, range.First + firstCount - 1};
    const SampleRange second{first.Last + 1, range.Last};
    std::jthread other([&] { work(duplicate, second, 1); });
    work(log, first, 0);
    return 2;
}

// Ranges shorter than this are not worth a second thread (200,000 samples); tests set
// it lower to run the two halves on short logs.
std::int64_t TwoHalvesMinimum() noexcept;
void SetTwoHalvesMinimum(std::int64_t samples) noexcept;

}  // namespace orvane
