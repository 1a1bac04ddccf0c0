#include "data/data_file_append.h"

#include "data/byte_order.h"
#include "io/atomic_file.h"
#include "io/open_file.h"

namespace varnelo {

namespace fs = std::filesystem;

namespace {

FileError RefusedAppend(const fs::path& path, const std::string& why) {
    return {FileFailure::SaveFailed, path.string() + ": " + why};
}

}  // namespace

FileOutcome CheckAppendable(const fs::path& path) {
    std::error_code code;
    const fs::path file = fs::canonical(path, code);  // links followed: the file that is replaced
    if (code) return RefusedAppend(path, code.message());
    const fs::file_status status = fs::status(file, code);
    if (code) return RefusedAppend(path, code.message());
    if (!fs::is_regular_file(status))
        return RefusedAppend(path, "not a regular file; new records go into a regular file only");
    if (!Writable(file, status)) return RefusedAppend(path, "the file is read-only");
    const fs::path folder = file.parent_path();
    const fs::file_status folderStatus = fs::status(folder, code);
    if (code || !Writable(folder, folderStatus))
        return RefusedAppend(path, "its folder " + folder.string() + " is read-only");
    return std::nullopt;
}

FileOutcome AppendToDataFile(DataFileReader& file, const CVarneloDoc& doc, int end) {
    const fs::path& path = file.path();
    if (FileOutcome refused = CheckAppendable(path)) return refused;
    const int kept = file.count();
    if (end < kept || end > RECORD_CAPACITY) return RefusedAppend(path, "no records to append");
    std::uint8_t count[4];
    WriteI32Le(count, end);
    AtomicFileWriter writer(path);
    // The old part from offset 0, so that both files' blocks line up and can
    // be shared; the count is then written over. Bytes after the old last
    // record are left behind.
    const bool ok = writer.open() && writer.copyFrom(file.file(), 0, DataFileSize(kept)) &&
                    writer.overwrite(BLOCK_SIZE, count, sizeof count) &&
                    writer.write(&doc.record(kept), BLOCK_SIZE * static_cast<std::size_t>(end - kept)) &&
                    writer.commit();
    if (!ok) return FileError{FileFailure::SaveFailed, writer.error()};
    return std::nullopt;
}

}  // namespace varnelo
