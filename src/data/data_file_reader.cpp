#include "data/data_file_reader.h"

#include "data/byte_order.h"
#include "io/path_text.h"

namespace varnelo {

namespace {

Status Refused(const std::filesystem::path& path, const std::string& why, Status::Cause cause = Status::Cause::Other) {
    Status error{Status::Kind::UnexpectedFormat, PathText(path) + ": " + why};
    error.cause = cause;
    error.path = PathText(path);
    return error;
}

std::uintmax_t RecordOffset(int index) { return DataFileSize(index); }

// A stream is a data file of the length its count announces: it is taken
// up to there and no further, whether or not its writer closes it.
std::uintmax_t AnnouncedLength(std::span<const std::uint8_t> taken) {
    if (taken.size() < DATA_FILE_HEADER_SIZE) return DataFileSize(RECORD_CAPACITY);
    const std::int32_t count = ReadI32Le(taken.data() + BLOCK_SIZE);
    if (count < 0 || count > RECORD_CAPACITY) return taken.size();  // refused below
    return DataFileSize(count);
}

}  // namespace

Status CheckDataFileLength(const std::filesystem::path& path, std::uintmax_t size) {
    if (size == 0 || size >= DATA_FILE_HEADER_SIZE) return {};
    Status error = Refused(path, std::to_string(size) + " bytes, shorter than the " +
                                     std::to_string(DATA_FILE_HEADER_SIZE) + "-byte parameter block and count",
                           Status::Cause::TooShort);
    error.size = size;
    return error;
}

Status CheckDataFileCount(const std::filesystem::path& path, std::uintmax_t size, const std::uint8_t* countBytes,
                          int& count) {
    const std::int32_t announced = ReadI32Le(countBytes);
    if (announced < 0 || announced > RECORD_CAPACITY) {
        Status error = Refused(path, "record count " + std::to_string(announced) + " is outside 0.." +
                                         std::to_string(RECORD_CAPACITY),
                               Status::Cause::CountOutside);
        error.announced = announced;
        return error;
    }
    if (size < DataFileSize(announced)) {
        const auto complete = (size - DATA_FILE_HEADER_SIZE) / BLOCK_SIZE;
        Status error = Refused(path, "announces " + std::to_string(announced) + " records but holds only " +
                                         std::to_string(complete) + " complete ones",
                               Status::Cause::CutShort);
        error.announced = announced;
        error.holds = static_cast<int>(complete);
        return error;
    }
    count = announced;
    return {};
}

Status DataFileReader::open(const std::filesystem::path& path, Streams streams) {
    m_path = path;
    if (streams == Streams::Refuse) {
        std::error_code code;
        const auto status = std::filesystem::status(path, code);
        if (!code && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
            !std::filesystem::is_directory(status)) {
            Status refused{Status::Kind::NotRegular,
                           PathText(path) + ": not a regular file (a pipe, FIFO or device); save it to a file first"};
            refused.path = PathText(path);
            return refused;
        }
    }
    std::uintmax_t size = 0;
    if (!m_file.open(path, AnnouncedLength) || !m_file.size(size)) {
        if (!m_file.readError().empty()) return readFailure({});
        return m_file.status();
    }
    if (size == 0 && m_file.streamed())
        return Refused(path, "nothing arrived from the pipe or device", Status::Cause::EmptyStream);
    if (size == 0) return {};
    if (Status checked = CheckDataFileLength(path, size); !checked) return checked;

    std::uint8_t countBytes[4];
    if (m_file.read(0, &m_block0, BLOCK_SIZE) != BLOCK_SIZE || m_file.read(BLOCK_SIZE, countBytes, 4) != 4) {
        return readFailure("cannot read the parameter block and count");
    }
    int count = 0;
    if (Status checked = CheckDataFileCount(path, size, countBytes, count); !checked) return checked;
    m_count = count;
    m_hasContent = true;
    return {};
}

Status DataFileReader::readFailure(const std::string& otherwise) {
    const std::string system = m_file.readError();
    if (system.empty()) return Refused(m_path, otherwise);
    Status error{Status::Kind::OpenFailed, PathText(m_path) + ": " + system};
    error.cause = Status::Cause::ReadError;
    error.path = PathText(m_path);
    error.systemError = system;
    return error;
}

int DataFileReader::read(int first, int n, MeasurementRecord* into) {
    const std::size_t bytes = m_file.read(RecordOffset(first), into, BLOCK_SIZE * static_cast<std::size_t>(n));
    return static_cast<int>(bytes / BLOCK_SIZE);
}

}  // namespace varnelo
