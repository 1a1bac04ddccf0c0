#include "data/data_file.h"

#include "data/atomic_file.h"
#include "data/byte_order.h"
#include "data/read_only_file.h"

namespace varnelo {

namespace {

FileError Refused(const std::filesystem::path& path, const std::string& why) {
    return {FileFailure::UnexpectedFormat, path.string() + ": " + why};
}

FileError Unreadable(const std::filesystem::path& path, const std::string& why) {
    return {FileFailure::OpenFailed, path.string() + ": " + why};
}

}  // namespace

FileOutcome LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc) {
    ReadOnlyFile file;
    std::uintmax_t size = 0;
    if (!file.open(path) || !file.size(size)) return Unreadable(path, file.error());
    if (size == 0) return std::nullopt;
    if (size < DATA_FILE_HEADER_SIZE) {
        return Refused(path, std::to_string(size) + " bytes, shorter than the " +
                                 std::to_string(DATA_FILE_HEADER_SIZE) + "-byte parameter block and count");
    }

    ParameterBlock block0;
    std::uint8_t countBytes[4];
    if (file.read(0, &block0, BLOCK_SIZE) != BLOCK_SIZE || file.read(BLOCK_SIZE, countBytes, 4) != 4) {
        return Refused(path, "cannot read the parameter block and count");
    }
    const std::int32_t count = ReadI32Le(countBytes);
    if (count < 0 || count > RECORD_CAPACITY) {
        return Refused(path, "record count " + std::to_string(count) + " is outside 0.." +
                                 std::to_string(RECORD_CAPACITY));
    }
    if (size < DataFileSize(count)) {
        const auto complete = (size - DATA_FILE_HEADER_SIZE) / BLOCK_SIZE;
        return Refused(path, "announces " + std::to_string(count) + " records but holds only " +
                                 std::to_string(complete) + " complete ones");
    }

    // The size is proven, so the records go straight into their blocks. Only
    // a read error from here on (a failing disk, a file cut while we read)
    // can stop us half way: the document is then emptied rather than left
    // holding a mixture of two files.
    const std::size_t bytes = BLOCK_SIZE * static_cast<std::size_t>(count);
    const std::size_t read = file.readInParallel(DATA_FILE_HEADER_SIZE, &doc.record(0), bytes, BLOCK_SIZE);
    if (read != bytes) {
        doc.setRecordCount(0);
        return Unreadable(path, "record " + std::to_string(read / BLOCK_SIZE) +
                                    " could not be read; the document was emptied");
    }
    doc.parameterBlock() = block0;
    doc.setRecordCount(count);
    return std::nullopt;
}

FileOutcome SaveDataFile(const std::filesystem::path& path, const CVarneloDoc& doc) {
    const int count = doc.recordCount();
    std::uint8_t countBytes[4];
    WriteI32Le(countBytes, count);
    AtomicFileWriter writer(path);
    // Records 0..count-1 are blocks 1..count: one contiguous stretch.
    const bool ok = writer.open() && writer.write(&doc.parameterBlock(), BLOCK_SIZE) && writer.write(countBytes, 4) &&
                    writer.write(&doc.record(0), BLOCK_SIZE * static_cast<std::size_t>(count)) && writer.commit();
    if (!ok) return FileError{FileFailure::SaveFailed, writer.error()};
    return std::nullopt;
}

}  // namespace varnelo
