#pragma once
// A file opened for reading at any position: by position (POSIX pread), or
// on Windows and in the portable build through a C stream opened by the
// file's wide name.
// A pipe, FIFO or device cannot be read by position: it is read once, in
// order, into memory when opened, and then served from there.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "io/status.h"

namespace varnelo {

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Each fails as OpenFailed, naming the file and the system's word,
    // when the system refuses. Of a stream, at most streamLimit bytes are
    // taken; the rest is left unread.
    Status open(const std::filesystem::path& path, std::uintmax_t streamLimit = UINTMAX_MAX);
    // Of a stream, as many bytes as `length` says, asked again as they
    // arrive: a stream that announces its own length is done once that is
    // in, though the writer keeps it open.
    using StreamLength = std::function<std::uintmax_t(std::span<const std::uint8_t> taken)>;
    Status open(const std::filesystem::path& path, const StreamLength& length);
    // The size of the file that was opened, whatever the path names by now;
    // of a stream, the bytes it gave.
    Status size(std::uintmax_t& bytes);
    // True when the file was a stream, read in full when it was opened.
    bool streamed() const { return m_streamed; }
    // The last refusal of open or size.
    const Status& status() const { return m_status; }
    // The system's word for the first read that failed (not one that met the
    // end of the file), or empty.
    std::string readError() const;

    // Reads n bytes from offset; returns how many leading bytes arrived,
    // fewer than n at the end of the file or after a read error.
    std::size_t read(std::uintmax_t offset, void* into, std::size_t n);

private:
    Status fail(int errorNumber);
    Status fail(const std::string& why, int errorNumber);
    Status takeStream(const StreamLength& length);
    void noteReadError(int errorNumber);
    // Reads on from where the file stands; -1 on an error, with errno set.
    long readOn(void* into, std::size_t n);
    std::size_t readTaken(std::uintmax_t offset, void* into, std::size_t n) const;

    // read_only_file_posix.cpp reads by position from a descriptor;
    // read_only_file_portable.cpp (Windows and the portable build) through
    // a C stream. Each uses its own members.
    int m_fd = -1;
    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
    std::mutex m_position;  // a seek and its read belong together
    Status m_status;
    std::atomic<int> m_readErrno{0};  // reads may come from several threads
    std::vector<std::uint8_t> m_stream;
    bool m_streamed = false;
};

}  // namespace varnelo
