#include "data/data_file.h"

#include "io/atomic_file.h"
#include "data/byte_order.h"
#include "data/data_file_reader.h"
#include "io/path_text.h"

namespace varnelo {

Status LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc, Streams streams) {
    DataFileReader file;
    if (Status opened = file.open(path, streams); !opened) return opened;
    if (!file.hasContent()) return {};

    // The size is proven, so the records go straight into their blocks. Only
    // a read error from here on (a failing disk, a file cut while we read)
    // can stop us half way: the document is then emptied rather than left
    // holding a mixture of two files.
    const int read = doc.blocks().fill(file);
    if (read != file.count()) {
        doc.setRecordCount(0);
        Status error = file.readFailure({});
        error.kind = Status::Kind::OpenFailed;
        error.record = read;
        error.detail = PathText(path) + ": record " + std::to_string(read) + " could not be read" +
                       (error.systemError.empty() ? "" : " (" + error.systemError + ")") + "; the document was emptied";
        return error;
    }
    doc.parameterBlock() = file.parameterBlock();
    doc.setRecordCount(file.count());
    return {};
}

Status SaveDataFile(const std::filesystem::path& path, const CVarneloDoc& doc) {
    const int count = doc.recordCount();
    std::uint8_t countBytes[4];
    WriteI32Le(countBytes, count);
    AtomicFileWriter writer(path);
    // Records 0..count-1 are blocks 1..count: one contiguous stretch.
    const bool ok = writer.open() && writer.write(&doc.parameterBlock(), BLOCK_SIZE) && writer.write(countBytes, 4) &&
                    writer.write(&doc.record(0), BLOCK_SIZE * static_cast<std::size_t>(count)) && writer.commit();
    if (!ok) {
        Status error = writer.status();
        error.path = PathText(path);
        return error;
    }
    return {};
}

}  // namespace varnelo
