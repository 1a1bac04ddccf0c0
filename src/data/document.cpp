#include "data/document.h"

#include <algorithm>

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

int BlockStore::fill(DataFileReader& file) { return file.read(0, file.count(), m_blocks + 1); }

void CVarneloDoc::setRecordCount(int count) { m_recordCount = std::clamp(count, 0, RECORD_CAPACITY); }

}  // namespace varnelo
