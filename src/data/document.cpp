#include "data/document.h"

#include <algorithm>
#include <cstdint>

namespace varnelo {

namespace {
constexpr std::size_t PAGE = 4096;
// Record block i (i >= 1) sits at file offset 6732 + 6728 * (i - 1) = 4 + 6728 * i.
constexpr std::size_t FILE_PHASE = (BLOCK_SIZE + 4) % BLOCK_SIZE;
}  // namespace

BlockStore::BlockStore() : m_memory(BLOCK_COUNT * sizeof(MeasurementRecord) + PAGE) {
    const auto base = reinterpret_cast<std::uintptr_t>(m_memory.data());
    const std::size_t shift = (FILE_PHASE + PAGE - base % PAGE) % PAGE;
    m_blocks = reinterpret_cast<MeasurementRecord*>(static_cast<std::uint8_t*>(m_memory.data()) + shift);
}

void CVarneloDoc::setRecordCount(int count) { m_recordCount = std::clamp(count, 0, RECORD_CAPACITY); }

}  // namespace varnelo
