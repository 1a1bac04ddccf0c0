#include "data/document.h"

#include <algorithm>
#include <cstdint>

#include "data/data_file.h"
#include "data/data_file_reader.h"
#include "io/file_loan.h"
#include "io/zeroed_pages.h"

namespace varnelo {

namespace {
constexpr std::size_t PAGE = ZeroedPages::PAGE_SIZE;
// Record block i (i >= 1) sits at file offset 6732 + 6728 * (i - 1) = 4 + 6728 * i.
constexpr std::size_t FILE_PHASE = (BLOCK_SIZE + 4) % BLOCK_SIZE;
// The pages that hold block 0 are always read, never lent: block 0 is
// written once loaded, and a write to a lent page could meet a lease break
// that is copying the page at that moment.
constexpr std::size_t READ_HEAD = 2 * PAGE;
static_assert(READ_HEAD >= DATA_FILE_HEADER_SIZE);
// Below this a loan costs more system calls than the read it saves.
constexpr std::uintmax_t LEND_MINIMUM = std::uintmax_t{1} << 20;
}  // namespace

struct BlockStore::Memory {
    // One page more than the blocks: the last lent page may reach past them.
    ZeroedPages pages{BLOCK_COUNT * sizeof(MeasurementRecord) + 2 * PAGE};
    FileLoan loan;  // ends before the pages go
};

BlockStore::BlockStore() : m_memory(std::make_unique<Memory>()) {
    const auto base = reinterpret_cast<std::uintptr_t>(m_memory->pages.data());
    const std::size_t shift = (FILE_PHASE + PAGE - base % PAGE) % PAGE;
    m_blocks = reinterpret_cast<MeasurementRecord*>(static_cast<std::uint8_t*>(m_memory->pages.data()) + shift);
}

BlockStore::~BlockStore() = default;

void BlockStore::keep() { m_memory->loan.keep(); }

void BlockStore::prepareForRecords(int count) {
    keep();
    const auto first = static_cast<std::size_t>(reinterpret_cast<std::uint8_t*>(m_blocks + 1) -
                                                static_cast<std::uint8_t*>(m_memory->pages.data()));
    m_memory->pages.backAhead(first, sizeof(MeasurementRecord) * static_cast<std::size_t>(std::max(count, 0)));
}

int BlockStore::fill(DataFileReader& file) {
    m_memory->pages.stopBackingAhead();
    // File offset f lies at base + f: block i >= 1 at 4 + BLOCK_SIZE * i.
    auto* const base = reinterpret_cast<std::uint8_t*>(m_blocks) - FILE_PHASE;
    const std::uintmax_t end = DataFileSize(file.count());
    if (reinterpret_cast<std::uintptr_t>(base) % PAGE == 0 && end >= READ_HEAD + LEND_MINIMUM &&
        file.file().read(0, base, READ_HEAD) == READ_HEAD &&
        m_memory->loan.begin(file.file().descriptor(), READ_HEAD, base + READ_HEAD, end - READ_HEAD)) {
        // Unfilled blocks hold zero bytes, even where the last lent page
        // shows what a file holds after its last record.
        auto* const tail = base + end;
        const std::size_t tailBytes = (PAGE - end % PAGE) % PAGE;
        if (std::any_of(tail, tail + tailBytes, [](std::uint8_t b) { return b != 0; }))
            std::fill(tail, tail + tailBytes, std::uint8_t{0});
        return file.count();
    }
    m_memory->loan.end();
    return file.readInParallel(0, file.count(), m_blocks + 1);
}

void CVarneloDoc::setRecordCount(int count) { m_recordCount = std::clamp(count, 0, RECORD_CAPACITY); }

}  // namespace varnelo
