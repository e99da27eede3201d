#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "log/DateTime.h"
#include "log/LogFormat.h"
#include "log/LogRecord.h"

namespace orvane::demo {

// The slot assignment of demo logs: fifteen display slots with the items a tuner
// watches most, the two switch-status bytes and the air volume in slots 16 to 18.
std::array<std::int16_t, SlotCount> DefaultDemoSlots() noexcept;

// A simulated drive that produces realistic log records: the engine starts cold and
// idles, is revved, driven through the gears, decelerates and idles again, while the
// coolant and intake air warm up. Deterministic for a given seed.
class DemoDrive {
public:
    explicit DemoDrive(std::uint32_t seed = 1,
                       std::array<std::int16_t, SlotCount> slots = DefaultDemoSlots(),
                       int meanIntervalMs = 100) noexcept;

    // The next sample, about `meanIntervalMs` after the previous one with jitter.
    LogRecord Next() noexcept;

    const std::array<std::int16_t, SlotCount>& Slots() const noexcept { return slots_; }

private:
    double Random() noexcept;  // uniform in [0, 1)
    void Step(double dt) noexcept;
    double Noise(std::int16_t code) const noexcept;  // uniform in [0, 1)
    std::uint8_t RawFor(std::int16_t code) noexcept;

    std::array<std::int16_t, SlotCount> slots_;
    int meanIntervalMs_;
    std::uint64_t rng_;
    std::uint64_t seed_;
    std::uint64_t samples_ = 0;
    std::int64_t millis_ = 0;
    bool first_ = true;

    // Engine state.
    double time_ = 0;  // seconds since start
    double rpm_ = 0;
    double throttle_ = 0;    // percent
    double load_ = 0;        // 0..1
    double coolant_ = 18;    // degrees C
    double intake_ = 15;     // degrees C
    double battery_ = 12.4;  // volts
    double o2Phase_ = 0;
    double knock_ = 0;
    bool ac_ = false;
    bool tdc_ = false;
    bool powerSteering_ = false;
};

// A pause of the logging: the samples after sample `After` come `Seconds` later.
struct DemoPause {
    int After = 0;
    int Seconds = 0;
};

// Writes a demo log of `records` samples starting at `start`, with the items `slots` in
// its slots and the given pauses; returns false with the reason on failure.
bool WriteDemoLog(const std::string& path, int records, std::uint32_t seed, const DateTime& start,
                  std::string* reason = nullptr, int meanIntervalMs = 100,
                  const std::array<std::int16_t, SlotCount>& slotItems = DefaultDemoSlots(),
                  const std::vector<DemoPause>& pauses = {});

// The item codes of a --slots list: up to 18 comma-separated codes from -32768 to 32767
// ("33,7,-1,2"), the slots after the last one not in use; nullopt for anything else.
std::optional<std::array<std::int16_t, SlotCount>> ParseSlotList(std::string_view text);

}  // namespace orvane::demo
