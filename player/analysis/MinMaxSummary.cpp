#include "analysis/MinMaxSummary.h"

#include <algorithm>
#include <bit>

#include "analysis/TwoHalves.h"
#include "log/RecordScan.h"
#include "log/modOrvane.h"

namespace orvane {
namespace {

constexpr std::uint8_t kLevelBits = 0x03;
constexpr std::uint8_t kStartBit = 0x04;
constexpr int kBoxShift = 3;

std::int64_t BlockSamplesFor(std::int64_t records) noexcept {
    const std::int64_t least = (records + MinMaxSummary::FewBlocks - 1) / MinMaxSummary::FewBlocks;
    const auto wanted = std::bit_ceil(static_cast<std::uint64_t>(std::max<std::int64_t>(1, least)));
    return std::min<std::int64_t>(MinMaxSummary::MaxBlockSamples,
                                  static_cast<std::int64_t>(wanted));
}

// What one part of the log leaves for joining the parts: its first and last Millis, and
// its axis length (the axis times of its blocks are counted from its own first sample).
struct PartEnds {
    std::int32_t FirstMillis = 0;
    std::int32_t LastMillis = 0;
    std::int64_t Axis = 0;
};

}  // namespace

std::optional<MinMaxSummary> MinMaxSummary::Build(const LogFile& log, std::vector<AlarmBox> boxes,
                                                  std::stop_token stop, std::string& error) {
    const auto outline = LogOutline::Of(log, error);
    if (!outline) return std::nullopt;

    MinMaxSummary summary;
    summary.outline_ = *outline;
    summary.boxes_ = std::move(boxes);
    const std::int64_t records = outline->Records;
    const std::int64_t perBlock = BlockSamplesFor(records);
    summary.perBlock_ = perBlock;
    const std::int64_t blocks = (records + perBlock - 1) / perBlock;
    const auto n = static_cast<std::size_t>(blocks);

    for (int k = 0; k < SlotCount; ++k) {
        SlotLevels& slot = summary.slots_[static_cast<std::size_t>(k)];
        const std::int16_t code = outline->Codes[static_cast<std::size_t>(k)];
        slot.Used = code >= 0;
        slot.Bits = IsSwitchCode(code);
        if (!slot.Used) continue;
        slot.Levels.resize(1);
        slot.Levels[0].Low.resize(n);
        slot.Levels[0].High.resize(n);
    }
    summary.firstMillis_.resize(n);
    summary.axis_.resize(n);
    summary.alarm_.resize(n);

    const AlarmTable alarms(summary.boxes_);
    const bool silent = alarms.Silent();

    std::array<ScanResult, 2> results;
    std::array<PartEnds, 2> ends;
    // Each part fills blocks of its own (parts start on a block's first sample).
    const auto scanPart = [&](const LogFile& file, SampleRange part, int index) {
        std::int64_t block = (part.First - 1) / perBlock - 1;
        std::int64_t left = 0;  // samples of the block still to come
        // Running extremes of all 18 slots: the minimum and maximum, and the AND and OR
        // (a fixed loop over every slot, which the compiler does in a few instructions).
        std::array<std::uint8_t, SlotCount> low{}, high{}, all{}, any{};
        AlarmTable::State highest = 0;
        int highestLevel = 0;
        bool hasStart = false;
        AlarmTable::State previous = 0;
        std::int64_t axis = 0;
        std::int32_t lastMillis = 0;
        bool first = true;
        const RecordScan scan(file, stop);
        if (!silent && part.First > 1) {
            std::uint8_t before[RecordSize];
            if (scan.ReadOne(part.First - 1, before)) previous = alarms.StateOf(before);
        }
        bool begun = false;
        const auto closeBlock = [&] {
            if (!begun) return;
            const auto b = static_cast<std::size_t>(block);
            for (int k = 0; k < SlotCount; ++k) {
                SlotLevels& slot = summary.slots_[static_cast<std::size_t>(k)];
                if (!slot.Used) continue;
                slot.Levels[0].Low[b] = slot.Bits ? all[k] : low[k];
                slot.Levels[0].High[b] = slot.Bits ? any[k] : high[k];
            }
            std::uint8_t alarm = static_cast<std::uint8_t>(highestLevel);
            if (hasStart) alarm |= kStartBit;
            if (highestLevel > 0) {
                alarm |= static_cast<std::uint8_t>(AlarmTable::FirstBoxAtHighestLevel(highest)
                                                   << kBoxShift);
            }
            summary.alarm_[b] = alarm;
        };
        results[index] =
            scan.Run(part.First, part.Last, [&](std::int64_t, std::span<const std::uint8_t> bytes) {
                for (const std::uint8_t* p = bytes.data(); p < bytes.data() + bytes.size();
                     p += RecordSize) {
                    const std::int32_t millis = RecordView{p}.Millis();
                    if (first) {
                        ends[index].FirstMillis = millis;
                        first = false;
                    } else {
                        axis += AxisStep(lastMillis, millis);
                    }
                    lastMillis = millis;
                    if (left == 0) {
                        closeBlock();
                        begun = true;
                        ++block;
                        left = perBlock;
                        const auto b = static_cast<std::size_t>(block);
                        summary.firstMillis_[b] = millis;
                        summary.axis_[b] = axis;
                        for (int k = 0; k < SlotCount; ++k) {
                            low[k] = high[k] = all[k] = any[k] = p[4 + k];
                        }
                        highest = 0;
                        highestLevel = 0;
                        hasStart = false;
                    }
                    --left;
                    for (int k = 0; k < SlotCount; ++k) {
                        const std::uint8_t v = p[4 + k];
                        low[k] = std::min(low[k], v);
                        high[k] = std::max(high[k], v);
                        all[k] &= v;
                        any[k] |= v;
                    }
                    if (silent) continue;
                    const AlarmTable::State state = alarms.StateOf(p);
                    if (state != 0) {
                        hasStart |= AlarmTable::IsStart(previous, state);
                        const int level = AlarmTable::LevelOf(state);
                        if (level > highestLevel) {
                            highestLevel = level;
                            highest = state;
                        }
                    }
                    previous = state;
                }
                return true;
            });
        if (results[index].Status == ScanStatus::Complete) closeBlock();
        ends[index].LastMillis = lastMillis;
        ends[index].Axis = axis;
    };
    const int parts =
        InTwoHalves(log, SampleRange::Whole(records), TwoHalvesMinimum(), perBlock, scanPart);
    for (int index = 0; index < parts; ++index) {
        error = ScanProblem(results[index]);
        if (!error.empty()) return std::nullopt;
    }
    if (blocks == 0) return summary;

    // The second part's axis times follow on from the first part's.
    std::int64_t lastAxis = ends[0].Axis;
    if (parts == 2) {
        const std::int64_t offset =
            ends[0].Axis + AxisStep(ends[0].LastMillis, ends[1].FirstMillis);
        // The first part is a whole number of blocks, as InTwoHalves splits the log.
        const std::int64_t firstCount = records / 2 / perBlock * perBlock;
        for (std::int64_t b = firstCount / perBlock; b < blocks; ++b) {
            summary.axis_[static_cast<std::size_t>(b)] += offset;
        }
        lastAxis = offset + ends[1].Axis;
    }
    summary.firstMillisOfLog_ = ends[0].FirstMillis;
    summary.lastMillisOfLog_ = ends[parts - 1].LastMillis;
    summary.lastAxis_ = lastAxis;

    // The levels above the blocks.
    for (SlotLevels& slot : summary.slots_) {
        if (!slot.Used) continue;
        while (slot.Levels.back().Low.size() > 1) {
            const Level& below = slot.Levels.back();
            Level above;
            const std::size_t size = (below.Low.size() + LevelFactor - 1) / LevelFactor;
            above.Low.resize(size);
            above.High.resize(size);
            for (std::size_t i = 0; i < size; ++i) {
                const std::size_t from = i * LevelFactor;
                const std::size_t to = std::min(below.Low.size(), from + LevelFactor);
                std::uint8_t lo = below.Low[from], hi = below.High[from];
                for (std::size_t j = from + 1; j < to; ++j) {
                    lo = slot.Bits ? static_cast<std::uint8_t>(lo & below.Low[j])
                                   : std::min(lo, below.Low[j]);
                    hi = slot.Bits ? static_cast<std::uint8_t>(hi | below.High[j])
                                   : std::max(hi, below.High[j]);
                }
                above.Low[i] = lo;
                above.High[i] = hi;
            }
            slot.Levels.push_back(std::move(above));
        }
    }
    return summary;
}

SampleRange MinMaxSummary::SamplesOfBlock(std::int64_t block) const noexcept {
    if (block < 0 || block >= Blocks()) return {1, 0};
    return {block * perBlock_ + 1, std::min((block + 1) * perBlock_, Records())};
}

std::int64_t MinMaxSummary::FirstBlockAtOrAfter(std::int64_t axis) const noexcept {
    return std::lower_bound(axis_.begin(), axis_.end(), axis) - axis_.begin();
}

bool MinMaxSummary::HasSlot(int slot) const noexcept {
    return slot >= 1 && slot <= SlotCount && slots_[static_cast<std::size_t>(slot - 1)].Used;
}

RawExtremes MinMaxSummary::Extremes(int slot, std::int64_t first, std::int64_t end) const noexcept {
    if (!HasSlot(slot)) return {};
    const SlotLevels& levels = slots_[static_cast<std::size_t>(slot - 1)];
    first = std::max<std::int64_t>(first, 0);
    end = std::min(end, Blocks());
    if (first >= end) return {};
    const bool bits = levels.Bits;
    std::uint8_t lo = 0xFF;
    std::uint8_t hi = 0;
    const auto take = [&](const Level& level, std::int64_t i) {
        const auto at = static_cast<std::size_t>(i);
        lo = bits ? static_cast<std::uint8_t>(lo & level.Low[at]) : std::min(lo, level.Low[at]);
        hi = bits ? static_cast<std::uint8_t>(hi | level.High[at]) : std::max(hi, level.High[at]);
    };
    // Both ends at the level below until they line up with the level above, then up.
    std::size_t l = 0;
    while (first < end) {
        const Level& level = levels.Levels[l];
        if (l + 1 == levels.Levels.size()) {
            for (; first < end; ++first) take(level, first);
            break;
        }
        for (; first < end && first % LevelFactor != 0; ++first) take(level, first);
        for (; first < end && end % LevelFactor != 0;) take(level, --end);
        first /= LevelFactor;
        end /= LevelFactor;
        ++l;
    }
    return {lo, hi};
}

int MinMaxSummary::AlarmLevelOf(std::int64_t block) const noexcept {
    if (block < 0 || block >= Blocks()) return 0;
    return alarm_[static_cast<std::size_t>(block)] & kLevelBits;
}

int MinMaxSummary::AlarmBoxOf(std::int64_t block) const noexcept {
    if (AlarmLevelOf(block) == 0) return -1;
    return alarm_[static_cast<std::size_t>(block)] >> kBoxShift;
}

bool MinMaxSummary::HasAlarmStart(std::int64_t block) const noexcept {
    return block >= 0 && block < Blocks() &&
           (alarm_[static_cast<std::size_t>(block)] & kStartBit) != 0;
}

std::size_t MinMaxSummary::MemoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + firstMillis_.capacity() * sizeof(std::int32_t) +
                        axis_.capacity() * sizeof(std::int64_t) + alarm_.capacity() +
                        boxes_.capacity() * sizeof(AlarmBox);
    for (const SlotLevels& slot : slots_) {
        for (const Level& level : slot.Levels)
            bytes += level.Low.capacity() + level.High.capacity();
        bytes += slot.Levels.capacity() * sizeof(Level);
    }
    return bytes;
}

}  // namespace orvane
