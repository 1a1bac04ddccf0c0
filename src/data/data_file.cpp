#include "data/data_file.h"

#include "io/atomic_file.h"
#include "data/byte_order.h"
#include "data/data_file_reader.h"
#include "io/path_text.h"

namespace varnelo {

FileOutcome LoadDataFile(const std::filesystem::path& path, CVarneloDoc& doc, Streams streams) {
    DataFileReader file;
    if (FileOutcome refused = file.open(path, streams)) return refused;
    if (!file.hasContent()) return std::nullopt;

    // The size is proven, so the records go straight into their blocks. Only
    // a read error from here on (a failing disk, a file cut while we read)
    // can stop us half way: the document is then emptied rather than left
    // holding a mixture of two files.
    const int read = doc.blocks().fill(file);
    if (read != file.count()) {
        doc.setRecordCount(0);
        FileError error = file.readFailure({});
        error.kind = FileFailure::OpenFailed;
        error.detail = PathText(path) + ": record " + std::to_string(read) + " could not be read" +
                       (error.systemError.empty() ? "" : " (" + error.systemError + ")") + "; the document was emptied";
        return error;
    }
    doc.parameterBlock() = file.parameterBlock();
    doc.setRecordCount(file.count());
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
    if (!ok) {
        FileError error{FileFailure::SaveFailed, writer.error()};
        error.path = PathText(path);
        if (writer.busy()) error.problem = FileProblem::Busy;
        return error;
    }
    return std::nullopt;
}

}  // namespace varnelo
