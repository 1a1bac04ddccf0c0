#pragma once
// A file opened for reading at any position. Where the system reads by
// position (POSIX pread), a long stretch is read by several threads at once,
// each filling its own part of the memory; elsewhere, and in the portable
// build, it is read in one piece through a C stream.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>

namespace varnelo {

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Each returns false with error() set when the system refuses.
    bool open(const std::filesystem::path& path);
    // The size of the file that was opened, whatever the path names by now.
    bool size(std::uintmax_t& bytes);
    const std::string& error() const { return m_error; }

    // Reads n bytes from offset; returns how many leading bytes arrived,
    // fewer than n at the end of the file or after a read error.
    std::size_t read(std::uintmax_t offset, void* into, std::size_t n);

    // The same, cut into parts of whole `unit`s that are read at the same time.
    std::size_t readInParallel(std::uintmax_t offset, void* into, std::size_t n, std::size_t unit);

private:
    bool fail(int errorNumber);

#if (defined(__unix__) || defined(__APPLE__)) && !defined(VARNELO_PORTABLE_IO)
    int m_fd = -1;
#else
    std::FILE* m_file = nullptr;
    std::filesystem::path m_path;
    std::mutex m_position;  // a seek and its read belong together
#endif
    std::string m_error;
};

}  // namespace varnelo
