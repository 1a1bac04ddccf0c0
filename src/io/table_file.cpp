#include "io/table_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "io/open_file.h"
#include "io/path_text.h"

namespace varnelo {

namespace {

constexpr std::size_t READ_STEP = 64 << 10;

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

Status Refused(Status::Kind kind, const std::filesystem::path& path, const std::string& why, int errorNumber = 0) {
    Status status{kind, PathText(path) + " " + why};
    status.path = PathText(path);
    if (errorNumber != 0) {
        status.systemError = std::strerror(errorNumber);
        status.systemErrorNumber = errorNumber;
    }
    return status;
}

std::string InKiB(std::uintmax_t bytes) {
    return bytes % (1 << 20) == 0 ? std::to_string(bytes >> 20) + " MiB" : std::to_string(bytes >> 10) + " KiB";
}

}  // namespace

Status ReadTableFile(const std::filesystem::path& path, std::string& text, std::size_t lineMax) {
    text.clear();
    errno = 0;
    const std::unique_ptr<std::FILE, CloseFile> file(OpenRegularFile(path));
    if (!file) {
        const int error = errno;
        if (error == EISDIR) return Refused(Status::Kind::NotRegular, path, "is a directory");
        if (error == ENODEV) return Refused(Status::Kind::NotRegular, path, "is not a regular file");
        return Refused(Status::Kind::OpenFailed, path, std::string("cannot be opened: ") + std::strerror(error), error);
    }
    const std::string tooLarge = "is larger than the " + InKiB(TABLE_FILE_MAX) + " a table may hold";
    std::error_code code;
    if (std::filesystem::file_size(path, code) > TABLE_FILE_MAX && !code) {
        return Refused(Status::Kind::OpenFailed, path, tooLarge);
    }
    // Read in steps up to one byte past the bound: a file that grows while
    // it is read is held to the bound all the same.
    for (;;) {
        const std::size_t before = text.size();
        const std::size_t step = static_cast<std::size_t>(std::min<std::uintmax_t>(READ_STEP, TABLE_FILE_MAX + 1 - before));
        text.resize(before + step);
        const std::size_t got = std::fread(text.data() + before, 1, step, file.get());
        text.resize(before + got);
        if (text.size() > TABLE_FILE_MAX) {
            text.clear();
            return Refused(Status::Kind::OpenFailed, path, tooLarge);
        }
        if (got < step) break;
    }
    if (std::ferror(file.get())) {
        const int error = errno;
        text.clear();
        return Refused(Status::Kind::OpenFailed, path, std::string("cannot be read: ") + std::strerror(error), error);
    }
    if (lineMax != NO_LINE_LIMIT) {
        std::size_t start = 0, line = 1;
        for (;; ++line) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            if (end - start > lineMax) {
                text.clear();
                return Refused(Status::Kind::OpenFailed, path,
                               "line " + std::to_string(line) + " is longer than the " + InKiB(lineMax) +
                                   " a table line may hold");
            }
            if (end == text.size()) break;
            start = end + 1;
        }
    }
    return {};
}

}  // namespace varnelo
