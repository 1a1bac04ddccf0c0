#include "data/data_file_stream.h"

#include <algorithm>
#include <system_error>

#include "data/byte_order.h"

namespace varnelo {

namespace {

// Records written as one piece (about 430 kB): few system calls, and the
// writing keeps up with any logger.
constexpr int RECORDS_PER_WRITE = 64;

}  // namespace

DataFileStream::DataFileStream(const std::filesystem::path& path, const CVarneloDoc& doc, int count)
    : m_writer(path), m_doc(doc), m_count(std::clamp(count, 0, RECORD_CAPACITY)) {
    // A device or FIFO would see records of a download that may yet stop:
    // it gets the whole file at the end, as from a save.
    if (!WrittenThroughTemporary(path)) return;
    try {
        m_thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        // Without a thread of its own, finish() writes everything.
    }
}

DataFileStream::~DataFileStream() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void DataFileStream::advance(int complete) {
    {
        const std::lock_guard lock(m_mutex);
        m_complete = std::clamp(complete, m_complete, m_count);
        // Waking the writer for every record would cost the download a
        // switch between threads per record: only a whole stretch wakes it.
        if (m_complete - m_announced < RECORDS_PER_WRITE) return;
        m_announced = m_complete;
    }
    m_changed.notify_all();
}

Status DataFileStream::finish() {
    {
        const std::lock_guard lock(m_mutex);
        if (m_complete < m_count) m_stopping = true;
        m_finishing = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    } else {
        run();
    }
    if (m_written) return {};
    if (!m_writer.status()) return m_writer.status();
    return {Status::Kind::SaveFailed, "the records did not all arrive"};
}

bool DataFileStream::writeRecords(int from, int to) {
    // Records from..to-1 are blocks from+1..to: one contiguous stretch.
    return from == to || m_writer.write(&m_doc.record(from), BLOCK_SIZE * static_cast<std::size_t>(to - from));
}

void DataFileStream::run() {
    std::uint8_t countBytes[4];
    WriteI32Le(countBytes, m_count);
    if (!m_writer.open() || !m_writer.write(&m_doc.parameterBlock(), BLOCK_SIZE) || !m_writer.write(countBytes, 4))
        return;
    int written = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || m_finishing || m_complete - written >= RECORDS_PER_WRITE; });
        if (m_stopping) return;
        const int complete = m_complete;
        const bool last = m_finishing;
        lock.unlock();
        if (!writeRecords(written, complete)) return;
        written = complete;
        if (last) {
            m_written = m_writer.commit().ok();
            return;
        }
        lock.lock();
    }
}

}  // namespace varnelo
