#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "analysis/AlarmTable.h"
#include "analysis/LogOutline.h"
#include "analysis/LogPauses.h"
#include "log/LogFile.h"
#include "log/SampleRange.h"

namespace orvane {

// The smallest and largest raw byte of a slot over some samples. For a switch-status
// slot the two are the AND and the OR of its bytes instead, so that each switch's bit
// tells whether it was on at all, and whether it was on throughout.
struct RawExtremes {
    std::uint8_t Low = 0;
    std::uint8_t High = 0;
};

// A summary of a whole log at several resolutions, made in one pass and read by every
// view that draws the whole log or a long part of it (the overview strip, the chart).
//
// The samples are grouped into blocks of BlockSamples() consecutive samples (a power of
// two: 1 for logs of up to 8192 samples, at most 32), and each block keeps, for every
// slot in use, the extremes of its raw bytes, the Millis and the axis time of its first
// sample, and the alarm of the value boxes the summary was made for (the highest level,
// the first box at it, whether an alarm starts in the block). Above the blocks, levels
// of 8, 64, 512... blocks keep the extremes again, so the extremes of any run of blocks
// take a few dozen reads whatever its length.
//
// The item formulas are monotone, so the converted extremes of a run are the converted
// raw extremes: the extremes are exact for exactly the samples of the blocks asked for.
//
// The axis time of a sample is the time a chart lays it out at: the sum of the gaps
// before it, where a gap of MinPauseMillis or more (a pause, drawn as a break) and a
// counter going backwards count 0. It never decreases from one sample to the next.
//
// Memory: about 2 bytes per slot in use and 13 bytes per block; for a log of ten million
// samples with every slot in use about 17 MB, under a tenth of the file.
class MinMaxSummary {
public:
    static constexpr int LevelFactor = 8;
    // Blocks hold the fewest samples (a power of two) that keep a log within FewBlocks
    // blocks, but never more than MaxBlockSamples: a log of 8192 samples or fewer has a
    // block per sample, a long log a block per 32 samples.
    static constexpr std::int64_t FewBlocks = 8192;
    static constexpr std::int64_t MaxBlockSamples = 32;

    // Scans the whole log (positional reads; the log's read position does not move), in
    // two halves at once for a long log. `boxes` are the value boxes whose alarms are
    // kept. nullopt with the reason in `error` when the log cannot be read or `stop` was
    // triggered ("cancelled").
    static std::optional<MinMaxSummary> Build(const LogFile& log, std::vector<AlarmBox> boxes,
                                              std::stop_token stop, std::string& error);

    const LogOutline& Outline() const noexcept { return outline_; }
    const std::vector<AlarmBox>& Boxes() const noexcept { return boxes_; }
    // Complete records at the time of the scan: the samples 1 to Records().
    std::int64_t Records() const noexcept { return outline_.Records; }

    std::int64_t BlockSamples() const noexcept { return perBlock_; }
    std::int64_t Blocks() const noexcept { return static_cast<std::int64_t>(firstMillis_.size()); }
    std::int64_t BlockOfSample(std::int64_t sample) const noexcept {
        return (sample - 1) / perBlock_;
    }
    std::int64_t FirstSampleOfBlock(std::int64_t block) const noexcept {
        return block * perBlock_ + 1;
    }
    // The samples of a block (empty for one outside the log).
    SampleRange SamplesOfBlock(std::int64_t block) const noexcept;

    // Millis and axis time of a block's first sample.
    std::int32_t FirstMillisOf(std::int64_t block) const noexcept {
        return firstMillis_[static_cast<std::size_t>(block)];
    }
    std::int64_t AxisOf(std::int64_t block) const noexcept {
        return axis_[static_cast<std::size_t>(block)];
    }
    // The first block whose first sample's axis time is `axis` or later (Blocks() when none).
    std::int64_t FirstBlockAtOrAfter(std::int64_t axis) const noexcept;

    // Millis of the first sample, and of the last; the axis time of the last sample.
    std::int32_t FirstMillis() const noexcept { return firstMillisOfLog_; }
    std::int32_t LastMillis() const noexcept { return lastMillisOfLog_; }
    std::int64_t LastAxis() const noexcept { return lastAxis_; }
    // The log's length in time: the last sample's Millis minus the first's.
    std::int64_t LengthMillis() const noexcept {
        return Records() > 0 ? std::int64_t{lastMillisOfLog_} - firstMillisOfLog_ : 0;
    }

    // True when slot `slot` (1 to 18) holds an item, and so has extremes.
    bool HasSlot(int slot) const noexcept;
    // The extremes of slot `slot` over the blocks `first` up to (not including) `end`.
    RawExtremes Extremes(int slot, std::int64_t first, std::int64_t end) const noexcept;

    // Alarm of a block: the highest level (0 to 2), the index in Boxes() of the box that
    // reached it first (-1 at level 0), and whether a sample in it is an alarm start.
    int AlarmLevelOf(std::int64_t block) const noexcept;
    int AlarmBoxOf(std::int64_t block) const noexcept;
    bool HasAlarmStart(std::int64_t block) const noexcept;

    // Memory the summary holds.
    std::size_t MemoryBytes() const noexcept;

    // The gap rule of the axis: how much a gap between two consecutive samples' counters
    // adds to the axis time.
    static constexpr std::int64_t AxisStep(std::int32_t before, std::int32_t after) noexcept {
        const std::int64_t gap = std::int64_t{after} - before;
        return gap < 0 || gap >= MinPauseMillis ? 0 : gap;
    }

private:
    MinMaxSummary() = default;

    struct Level {
        std::vector<std::uint8_t> Low;
        std::vector<std::uint8_t> High;
    };
    // Per slot in use (index: slot - 1), its levels from the blocks up; empty when unused.
    struct SlotLevels {
        bool Used = false;
        bool Bits = false;  // a switch-status slot: Low is the AND, High the OR
        std::vector<Level> Levels;
    };

    LogOutline outline_;
    std::vector<AlarmBox> boxes_;
    std::int64_t perBlock_ = 1;
    std::int32_t firstMillisOfLog_ = 0;
    std::int32_t lastMillisOfLog_ = 0;
    std::int64_t lastAxis_ = 0;
    std::vector<std::int32_t> firstMillis_;
    std::vector<std::int64_t> axis_;
    // Bits 0-1 the highest level, bit 2 set when an alarm start lies in the block, bits
    // 3-7 the first box at that level.
    std::vector<std::uint8_t> alarm_;
    std::array<SlotLevels, SlotCount> slots_;
};

}  // namespace orvane
