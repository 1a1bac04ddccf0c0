#include "data/data_file_append.h"

#include "data/byte_order.h"
#include "data/data_file_reader.h"
#include "io/open_file.h"
#include "io/temporary_name.h"
#include "io/path_text.h"

namespace varnelo {

namespace fs = std::filesystem;

namespace {

Status RefusedAppend(const fs::path& path, const std::string& why) {
    return {Status::Kind::SaveFailed, PathText(path) + ": " + why};
}

}  // namespace

Status CheckAppendable(const fs::path& path) {
    std::error_code code;
    const fs::path file = fs::canonical(path, code);  // links followed: the file that is extended
    if (code) return RefusedAppend(path, code.message());
    const fs::file_status status = fs::status(file, code);
    if (code) return RefusedAppend(path, code.message());
    if (!fs::is_regular_file(status))
        return RefusedAppend(path, "not a regular file; new records go into a regular file only");
    if (!Writable(file, status)) return RefusedAppend(path, "the file is read-only");
    return {};
}

Status LockedDataFile::open(const fs::path& path, std::chrono::milliseconds patience) {
    m_file.close();
    m_path = path;
    m_count = 0;
    if (Status appendable = CheckAppendable(path); !appendable) return appendable;
    if (Status locked = m_file.open(path, LockAccess::ReadWrite, patience); !locked) {
        // Another writer's lock refuses the new records, not the file.
        if (locked.cause == Status::Cause::Busy) locked.kind = Status::Kind::SaveFailed;
        return locked;
    }
    // A save killed half way may have left its temporary beside the file
    // (beside a link's target, for a link).
    std::error_code code;
    const fs::path file = fs::canonical(path, code);
    RemoveStaleTemporaries(code ? path : file);

    std::uint8_t countBytes[4];
    if (Status sized = m_file.size(m_size); !sized) return sized;
    if (Status checked = CheckDataFileLength(path, m_size); !checked) return checked;
    if (m_size == 0) return {};
    if (m_file.read(0, &m_block0, BLOCK_SIZE) != BLOCK_SIZE || m_file.read(BLOCK_SIZE, countBytes, 4) != 4)
        return {Status::Kind::OpenFailed, PathText(path) + ": cannot read the parameter block and count"};
    return CheckDataFileCount(path, m_size, countBytes, m_count);
}

int LockedDataFile::read(int first, int n, MeasurementRecord* into) {
    const std::size_t bytes = m_file.read(DataFileSize(first), into, BLOCK_SIZE * static_cast<std::size_t>(n));
    return static_cast<int>(bytes / BLOCK_SIZE);
}

AppendResult LockedDataFile::append(const CVarneloDoc& doc, int end) {
    AppendResult result;
    const int kept = m_count;
    if (!m_file.isOpen() || m_size == 0 || end < kept || end > RECORD_CAPACITY) {
        result.status = RefusedAppend(m_path, "no records to append");
        return result;
    }
    const std::uintmax_t oldEnd = DataFileSize(kept), newEnd = DataFileSize(end);
    result.overwrittenBytes = m_size - oldEnd;
    std::uint8_t count[4];
    WriteI32Le(count, end);
    const std::size_t bytes = BLOCK_SIZE * static_cast<std::size_t>(end - kept);
    const bool recordsIn = (bytes == 0 || m_file.write(oldEnd, &doc.record(kept), bytes)) && m_file.flush();
    if (!recordsIn) {
        // The old count still stands; what was written after the old end goes.
        result.status = m_file.status();
        if (newEnd > m_size) (void)m_file.truncate(m_size);
        return result;
    }
    // Once the count is on the disk the file is the new one; bytes beyond
    // the new records that another writer left are cut then, not before.
    if (!m_file.write(BLOCK_SIZE, count, sizeof count) || !m_file.flush() ||
        (m_size > newEnd && !m_file.truncate(newEnd))) {
        result.status = m_file.status();
        return result;
    }
    m_count = end;
    m_size = newEnd;
    return result;
}

}  // namespace varnelo
