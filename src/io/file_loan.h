#pragma once
// A stretch of a file shown in place of a stretch of our own memory, without
// a copy: the system maps the file's cached pages there privately, so that
// reading a large file costs neither zeroing fresh pages nor copying into
// them. Writes to the stretch stay ours and never reach the file.
//
// A mapped file must not change under us: cut short, its pages would vanish
// and a read of them would stop the program. So a file is only lent while we
// hold a lease on it, on a local disk file system. Anyone who then opens it
// to write or cut it waits until the stretch has been turned into private
// memory holding the same bytes, which the lease's signal does at once.
// Where any of this is missing, begin() refuses and the caller reads.

#include <cstddef>
#include <cstdint>

namespace varnelo {

class FileLoan {
public:
    FileLoan() = default;
    ~FileLoan() { end(); }
    FileLoan(const FileLoan&) = delete;
    FileLoan& operator=(const FileLoan&) = delete;

    // Shows `bytes` of the file open for reading at `fd`, from `offset`, at
    // `at`: both multiples of the memory page size, `at` inside memory that
    // the caller owns and that ends no sooner. What the system's cache does
    // not hold is read from the disk before it returns, so that a failing
    // disk shows here. Returns false where the file cannot be lent safely
    // or a page cannot be read; the stretch then holds zero bytes or what it
    // held before. A loan already held ends first.
    bool begin(int fd, std::uint64_t offset, void* at, std::size_t bytes);

    // The stretch becomes private memory holding the same bytes, writes
    // included, and the file is let go.
    void keep();
    // The file is let go; the stretch holds zero bytes again.
    void end();

private:
    int m_slot = -1;
};

}  // namespace varnelo
