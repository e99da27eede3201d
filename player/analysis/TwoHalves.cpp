#include "analysis/TwoHalves.h"

#include <atomic>

namespace orvane {
namespace {

std::atomic<std::int64_t> minimum{200'000};

}  // namespace

std::int64_t TwoHalvesMinimum() noexcept {
    return minimum.load(std::memory_order_relaxed);
}

void SetTwoHalvesMinimum(std::int64_t samples) noexcept {
    minimum.store(samples, std::memory_order_relaxed);
}

}  // namespace orvane
