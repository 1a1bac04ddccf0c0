#include "data/document.h"

#include <algorithm>
#include <cstdint>

#include "data/data_file.h"
#include "data/data_file_reader.h"
#include "io/zeroed_pages.h"

namespace varnelo {

struct BlockStore::Memory {
    ZeroedPages pages{BLOCK_COUNT * sizeof(MeasurementRecord)};
};

BlockStore::BlockStore()
    : m_memory(std::make_unique<Memory>()), m_blocks(static_cast<MeasurementRecord*>(m_memory->pages.data())) {}

BlockStore::~BlockStore() = default;

void BlockStore::prepareForRecords(int end, int first) {
    first = std::max(first, 0);
    const std::size_t bytes = sizeof(MeasurementRecord) * static_cast<std::size_t>(std::max(end - first, 0));
    // Block 1 + first is record `first`.
    m_memory->pages.backAhead(sizeof(MeasurementRecord) * (1 + static_cast<std::size_t>(first)), bytes);
}

int BlockStore::fill(DataFileReader& file) {
    m_memory->pages.stopBackingAhead();
    return file.readInParallel(0, file.count(), m_blocks + 1);
}

void CVarneloDoc::setRecordCount(int count) { m_recordCount = std::clamp(count, 0, RECORD_CAPACITY); }

}  // namespace varnelo
