#include "analysis/BlockCache.h"

#include "log/RecordScan.h"

namespace orvane {

const std::uint8_t* BlockCache::Record(std::int64_t sample, std::string& error) {
    const std::int64_t block = summary_.BlockOfSample(sample);
    if (block != block_) {
        const SampleRange samples = summary_.SamplesOfBlock(block);
        const std::int64_t count = samples.Count();
        if (RecordScan::ReadChunk(log_, samples.First, count, bytes_, error) != count) {
            block_ = -1;
            return nullptr;
        }
        block_ = block;
        first_ = samples.First;
    }
    return bytes_ + (sample - first_) * RecordSize;
}

}  // namespace orvane
