#include "DemoDrive.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "log/LogHeader.h"
#include "log/modOrvane.h"

namespace orvane::demo {
namespace {

std::uint8_t ClampByte(double v) noexcept {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

// Raw byte whose converted value comes nearest to `target` (for the table sensors).
std::uint8_t InverseByTable(std::uint8_t code, double target) noexcept {
    int best = 0;
    double bestError = 1e300;
    for (int raw = 0; raw < 256; ++raw) {
        const double error = std::fabs(ConvertValue(code, static_cast<std::uint8_t>(raw)) - target);
        if (error < bestError) {
            bestError = error;
            best = raw;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// The drive programme: target throttle over time, repeating every 300 seconds.
double TargetThrottle(double t, double wobble) noexcept {
    const double cycle = std::fmod(t, 300.0);
    if (cycle < 40) return 0;                                     // cold idle
    if (cycle < 70) return std::fmod(cycle, 6.0) < 1.5 ? 45 : 0;  // blips on the pedal
    if (cycle < 200) {                                            // driving through gears
        const double inGear = std::fmod(cycle - 70, 13.0);
        if (inGear < 8) return 35 + 40 * std::sin(inGear / 8 * 3.14159) + wobble;
        if (inGear < 9) return 0;  // shift
        return 20 + wobble;
    }
    if (cycle < 215) return 100;           // a full-throttle pull
    if (cycle < 250) return 0;             // long deceleration
    return cycle < 270 ? 12 + wobble : 0;  // creeping, then idle
}

}  // namespace

std::array<std::int16_t, SlotCount> DefaultDemoSlots() noexcept {
    return {33, 7, 23, 6, 26, 20, 58, 41, 12, 13, 14, 19, 22, 38, 21, 2, 0, 44};
}

DemoDrive::DemoDrive(std::uint32_t seed, std::array<std::int16_t, SlotCount> slots,
                     int meanIntervalMs) noexcept
    : slots_(slots),
      meanIntervalMs_(std::max(1, meanIntervalMs)),
      rng_(0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(seed) << 17 | seed)),
      seed_(rng_) {}

double DemoDrive::Random() noexcept {
    // xorshift64*: small, fast and the same on every platform.
    rng_ ^= rng_ >> 12;
    rng_ ^= rng_ << 25;
    rng_ ^= rng_ >> 27;
    return static_cast<double>((rng_ * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

void DemoDrive::Step(double dt) noexcept {
    time_ += dt;
    const double target = TargetThrottle(time_, (Random() - 0.5) * 6);
    throttle_ += (target - throttle_) * std::min(1.0, dt * 8);
    throttle_ = std::clamp(throttle_, 0.0, 100.0);

    const double idleRpm = coolant_ < 60 ? 1250 - coolant_ * 6 : 800;
    // The full-throttle pull climbs through one gear from 3000 rpm to the rev limit of
    // 7000, reached only at its very end; otherwise the throttle sets the pace.
    const double cycle = std::fmod(time_, 300.0);
    const bool pull = cycle >= 200 && cycle < 215 && throttle_ > 90;
    const double targetRpm = throttle_ < 1 ? idleRpm
                             : pull        ? 3000 + (cycle - 200) * 270
                                           : idleRpm + throttle_ * 62;
    const double response =
        throttle_ < 1 && rpm_ > idleRpm ? 2.5 : 5.0;  // engine braking is slower
    rpm_ += (targetRpm - rpm_) * std::min(1.0, dt * response);
    rpm_ += (Random() - 0.5) * 20;
    rpm_ = std::clamp(rpm_, 0.0, 7900.0);
    load_ = std::clamp(throttle_ / 100 * 0.8 + rpm_ / 8000 * 0.2, 0.0, 1.0);

    // Warming up: the coolant approaches the thermostat's 85 degrees, the intake air
    // follows the under-bonnet heat slowly.
    coolant_ += (86 - coolant_) * dt * (0.004 + load_ * 0.01);
    intake_ += ((25 + coolant_ * 0.2 - load_ * 8) - intake_) * dt * 0.01;
    battery_ += ((rpm_ > 500 ? 14.1 : 12.4) - battery_) * std::min(1.0, dt * 0.5);

    o2Phase_ += dt * (1.5 + rpm_ / 1500);
    knock_ = load_ > 0.85 && Random() < 0.05 ? std::min(255.0, knock_ + 3) : knock_ * 0.9;
    if (Random() < dt * 0.02) ac_ = !ac_;
    powerSteering_ =
        throttle_ < 15 && std::fmod(time_, 300.0) > 255 && std::fmod(time_, 300.0) < 262;
    tdc_ = !tdc_;
}

double DemoDrive::Noise(std::int16_t code) const noexcept {
    // Measurement noise of one item in one sample: a hash of the seed, the item and the
    // sample, so an item reads the same whatever slot a log records it in.
    std::uint64_t x = seed_ ^ (static_cast<std::uint64_t>(static_cast<std::uint16_t>(code)) << 40) ^
                      static_cast<std::uint64_t>(samples_) * 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    return static_cast<double>(x >> 11) / 9007199254740992.0;
}

std::uint8_t DemoDrive::RawFor(std::int16_t code) noexcept {
    switch (code) {
        case 0x00:  // AC relay bit: clear while the compressor runs
            return static_cast<std::uint8_t>(ac_ ? 0x00 : 0x20);
        case 0x02: {
            std::uint8_t b = 0;
            if (throttle_ < 1.5) b |= 0x80;
            if (powerSteering_) b |= 0x08;
            if (!ac_) b |= 0x10;
            if (tdc_) b |= 0x04;
            return b;
        }
        case 0x06:  // stored as tenths below zero
            return ClampByte(1 + load_ * 3 + Noise(code) * 0.8);
        case 0x07:
            return InverseByTable(0x07, coolant_);
        case 0x0C:
        case 0x0D:
        case 0x0E:
            return ClampByte(128 + (code - 0x0D) * 3 + (Noise(code) - 0.5) * 2);
        case 0x0F:
            return ClampByte(128 + std::sin(o2Phase_) * 6);
        case 0x12:
            return ClampByte((314.2 - (120 + load_ * 200)) / 1.5);
        case 0x13:
            return ClampByte((0.45 + 0.4 * std::sin(o2Phase_)) / 0.0195);
        case 0x14:
            return ClampByte(battery_ / 0.0733);
        case 0x15:
            return ClampByte(1.013 / 0.00486 + (Noise(code) - 0.5));
        case 0x16:
            return ClampByte(throttle_ < 1.5 ? 30 + (coolant_ < 60 ? 20 : 0) : 18);
        case 0x17:
            return ClampByte(throttle_ * 2.55);
        case 0x1A:
            return ClampByte((25 + rpm_ / 8000 * 180 * (0.3 + load_)));
        case 0x1D:
            return ClampByte(std::max(0.0, throttle_ - 40) * 1.2);
        case 0x21:
            return ClampByte(rpm_ / 31.25);
        case 0x26:
            return ClampByte(knock_);
        case 0x29:
            return ClampByte((1.8 + load_ * 7 + (coolant_ < 60 ? 0.8 : 0)) / 0.256);
        case 0x2C:
            return ClampByte(20 + load_ * 200);
        case 0x3A:
            return InverseByTable(0x3A, intake_);
        default:
            return ClampByte(Noise(code) * 256);
    }
}

LogRecord DemoDrive::Next() noexcept {
    int interval = 0;
    if (!first_) {
        // About the mean, with jitter; now and then the logger stalls for a moment.
        const double jitter = (Random() - 0.5) * 0.3 * meanIntervalMs_;
        interval = static_cast<int>(std::lround(meanIntervalMs_ + jitter));
        if (Random() < 0.01) interval += 2 * meanIntervalMs_;
        interval = std::max(1, interval);
    }
    first_ = false;
    millis_ += interval;
    Step(interval / 1000.0);

    ++samples_;
    LogRecord record;
    record.Millis = static_cast<std::int32_t>(millis_);
    for (int k = 0; k < SlotCount; ++k) record.SlotBytes[k] = RawFor(slots_[k]);
    return record;
}

bool WriteDemoLog(const std::string& path, int records, std::uint32_t seed, const DateTime& start,
                  std::string* reason, int meanIntervalMs,
                  const std::array<std::int16_t, SlotCount>& slotItems,
                  const std::vector<DemoPause>& pauses) {
    DemoDrive drive(seed, slotItems, meanIntervalMs);
    LogHeader header;
    header.SlotItemCodes = drive.Slots();
    header.StartDate = start.ToOleDate();

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        if (reason) *reason = std::strerror(errno);
        return false;
    }
    const auto headerBytes = header.Encode();
    bool ok = std::fwrite(headerBytes.data(), 1, headerBytes.size(), file) == headerBytes.size();
    std::vector<std::uint8_t> chunk;
    chunk.reserve(4096 * RecordSize);
    std::int64_t paused = 0;  // milliseconds of the pauses so far
    for (int i = 0; ok && i < records; ++i) {
        for (const DemoPause& pause : pauses) {
            if (pause.After == i && i > 0) paused += std::int64_t{pause.Seconds} * 1000;
        }
        LogRecord record = drive.Next();
        record.Millis = static_cast<std::int32_t>(record.Millis + paused);
        const auto bytes = record.Encode();
        chunk.insert(chunk.end(), bytes.begin(), bytes.end());
        if (chunk.size() >= 4096 * RecordSize || i + 1 == records) {
            ok = std::fwrite(chunk.data(), 1, chunk.size(), file) == chunk.size();
            chunk.clear();
        }
    }
    if (!ok && reason) *reason = std::strerror(errno);
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        if (reason) *reason = std::strerror(errno);
    }
    return ok;
}

std::optional<std::array<std::int16_t, SlotCount>> ParseSlotList(std::string_view text) {
    std::array<std::int16_t, SlotCount> slots;
    slots.fill(-1);
    std::size_t count = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(','), text.size());
        const std::string_view field = text.substr(0, comma);
        int code = 0;
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), code);
        if (field.empty() || error != std::errc() || end != field.data() + field.size() ||
            code < -32768 || code > 32767 || count == slots.size()) {
            return std::nullopt;
        }
        slots[count++] = static_cast<std::int16_t>(code);
        if (comma == text.size()) return slots;
        text.remove_prefix(comma + 1);
    }
}

}  // namespace orvane::demo
