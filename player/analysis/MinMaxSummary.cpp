#include "analysis/MinMaxSummary.h"

#include <algorithm>
#include <bit>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Running extremes of all 18 slots over whole records: the minimum and maximum, and the
// AND and OR (the switch-status slots keep these). Where there are 16-byte vector
// instructions, slots 1 to 16 and slots 3 to 18 each go through one of them.
class SlotRun {
public:
    void Start(const std::uint8_t* record) noexcept {
#if defined(__SSE2__)
        for (int h = 0; h < 2; ++h) {
            const __m128i v = Load(record, h);
            low_[h] = high_[h] = all_[h] = any_[h] = v;
        }
#else
        for (int k = 0; k < SlotCount; ++k) low_[k] = high_[k] = all_[k] = any_[k] = record[4 + k];
#endif
    }

    // Adds `count` records from `p` on.
    void Add(const std::uint8_t* p, std::int64_t count) noexcept {
#if defined(__SSE2__)
        __m128i low0 = low_[0], high0 = high_[0], all0 = all_[0], any0 = any_[0];
        __m128i low1 = low_[1], high1 = high_[1], all1 = all_[1], any1 = any_[1];
        for (std::int64_t r = 0; r < count; ++r, p += RecordSize) {
            const __m128i v = Load(p, 0);
            const __m128i w = Load(p, 1);
            low0 = _mm_min_epu8(low0, v);
            high0 = _mm_max_epu8(high0, v);
            all0 = _mm_and_si128(all0, v);
            any0 = _mm_or_si128(any0, v);
            low1 = _mm_min_epu8(low1, w);
            high1 = _mm_max_epu8(high1, w);
            all1 = _mm_and_si128(all1, w);
            any1 = _mm_or_si128(any1, w);
        }
        low_[0] = low0, high_[0] = high0, all_[0] = all0, any_[0] = any0;
        low_[1] = low1, high_[1] = high1, all_[1] = all1, any_[1] = any1;
#else
        for (std::int64_t r = 0; r < count; ++r, p += RecordSize) {
            for (int k = 0; k < SlotCount; ++k) {
                const std::uint8_t b = p[4 + k];
                low_[k] = std::min(low_[k], b);
                high_[k] = std::max(high_[k], b);
                all_[k] &= b;
                any_[k] |= b;
            }
        }
#endif
    }

    // The extremes of every slot: the minimum and maximum, and the AND and OR.
    struct All {
        std::array<std::uint8_t, SlotCount> Low, High, And, Or;
    };
    void Get(All& out) const noexcept {
#if defined(__SSE2__)
        // Slots 17 and 18 from the second vector, which starts at slot 3: stored second,
        // over the first's slots 3 to 16, which are the same.
        for (int h = 0; h < 2; ++h) {
            const int at = h * (SlotCount - 16);
            Store(out.Low.data() + at, low_[h]);
            Store(out.High.data() + at, high_[h]);
            Store(out.And.data() + at, all_[h]);
            Store(out.Or.data() + at, any_[h]);
        }
#else
        out = {low_, high_, all_, any_};
#endif
    }

private:
#if defined(__SSE2__)
    // Slots 1 to 16 (h = 0) or 3 to 18 (h = 1) of a record.
    static void Store(std::uint8_t* out, __m128i v) noexcept {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    }
    static __m128i Load(const std::uint8_t* record, int h) noexcept {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(record + 4 + h * (SlotCount - 16)));
    }
    __m128i low_[2]{}, high_[2]{}, all_[2]{}, any_[2]{};
#else
    std::array<std::uint8_t, SlotCount> low_{}, high_{}, all_{}, any_{};
#endif
};

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
        SlotRun run;
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
            SlotRun::All all;
            run.Get(all);
            for (int k = 0; k < SlotCount; ++k) {
                SlotLevels& slot = summary.slots_[static_cast<std::size_t>(k)];
                if (!slot.Used) continue;
                const auto i = static_cast<std::size_t>(k);
                slot.Levels[0].Low[b] = slot.Bits ? all.And[i] : all.Low[i];
                slot.Levels[0].High[b] = slot.Bits ? all.Or[i] : all.High[i];
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
                const std::uint8_t* p = bytes.data();
                const std::uint8_t* const end = p + bytes.size();
                while (p < end) {
                    std::int64_t from = 0;  // the first record whose axis step is still to add
                    if (left == 0) {
                        closeBlock();
                        begun = true;
                        ++block;
                        left = perBlock;
                        const std::int32_t millis = RecordView{p}.Millis();
                        if (first) {
                            ends[index].FirstMillis = millis;
                            first = false;
                        } else {
                            axis += AxisStep(lastMillis, millis);
                        }
                        lastMillis = millis;
                        from = 1;
                        const auto b = static_cast<std::size_t>(block);
                        summary.firstMillis_[b] = millis;
                        summary.axis_[b] = axis;
                        run.Start(p);
                        highest = 0;
                        highestLevel = 0;
                        hasStart = false;
                    }
                    // The records of this chunk that belong to the block.
                    const std::int64_t count = std::min(left, (end - p) / RecordSize);
                    left -= count;
                    for (std::int64_t r = from; r < count; ++r) {
                        const std::int32_t millis = RecordView{p + r * RecordSize}.Millis();
                        axis += AxisStep(lastMillis, millis);
                        lastMillis = millis;
                    }
                    run.Add(p, count);
                    if (!silent) {
                        for (std::int64_t r = 0; r < count; ++r) {
                            const AlarmTable::State state = alarms.StateOf(p + r * RecordSize);
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
                    }
                    p += count * RecordSize;
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
