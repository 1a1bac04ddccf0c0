#include "export/file_batches.h"
#include "io/path_text.h"

#include <new>

namespace varnelo {

std::span<const MeasurementRecord> FileBatches::read(std::size_t begin, std::size_t end,
                                                     std::unique_ptr<MeasurementRecord[]>& room) {
    const auto first = static_cast<int>(begin);
    const auto n = static_cast<int>(end - begin);
    int arrived = 0;
    try {
        room = std::make_unique_for_overwrite<MeasurementRecord[]>(static_cast<std::size_t>(n));
        arrived = m_source.read(first, n, room.get());
    } catch (const std::bad_alloc&) {
        // Nothing may escape a worker: the batch counts as unread.
    }
    if (arrived == n) return {room.get(), static_cast<std::size_t>(n)};
    int earliest = m_firstUnread.load();
    while (first + arrived < earliest && !m_firstUnread.compare_exchange_weak(earliest, first + arrived)) {
    }
    return {};
}

std::string FileBatches::unreadable(int before) const {
    const int record = m_firstUnread.load();
    if (record >= before) return {};
    const std::string system = m_source.file().readError();
    return PathText(m_source.path()) + ": record " + std::to_string(record) + " could not be read" +
           (system.empty() ? "" : ": " + system);
}

}  // namespace varnelo
