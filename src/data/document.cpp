#include "data/document.h"

#include <algorithm>
#include <new>

namespace varnelo {

BlockStore::BlockStore()
    : m_blocks(static_cast<MeasurementRecord*>(std::calloc(BLOCK_COUNT, sizeof(MeasurementRecord)))) {
    if (!m_blocks) throw std::bad_alloc();
}

void CVarneloDoc::setRecordCount(int count) { m_recordCount = std::clamp(count, 0, RECORD_CAPACITY); }

void CVarneloDoc::replaceBlocks(BlockStore&& blocks, int count) {
    m_blocks = std::move(blocks);
    setRecordCount(count);
}

}  // namespace varnelo
