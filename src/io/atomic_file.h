#pragma once
// Writes an output file so that a failed write never damages what was there.
// A regular file (or a new one) is written to a temporary sibling that
// replaces it only once everything is written and flushed. A symlink is
// followed: its target is replaced, the link stays. A device or FIFO cannot
// be replaced, so it is written directly; the name "-" is standard output.
// Where the system allows, the temporary sibling has no name until it is
// written and flushed, so a process killed while writing leaves nothing
// behind; it is named just before the rename, and one killed in that moment
// leaves it under that name. Elsewhere, and in the portable build, it has
// the name from the start: a hidden sibling ".NAME.<pid>.<16 hex digits>~"
// that a killed process leaves, and that the next writer of the same
// target removes once that process is gone. The commit waits a moment for a
// writer that extends the old file in place (LockedFile), and refuses,
// changing nothing, when that writer goes on.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "io/status.h"

namespace varnelo {

// The output name that means standard output rather than a file.
inline constexpr std::string_view STANDARD_OUTPUT_NAME = "-";

bool IsStandardOutput(const std::filesystem::path& target);

// True when a writer for `target` writes a temporary file that replaces it
// only at commit, so that nothing of the output shows before; false for
// standard output, a device or a FIFO, which see each byte as it goes out.
bool WrittenThroughTemporary(const std::filesystem::path& target);

// True when both names exist and are one file (through links of any kind).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target);
    ~AtomicFileWriter();  // a writer never committed removes its temporary file
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Each fails once anything has failed, with the first failure, which
    // status() keeps: SaveFailed, naming the target and the system's word.
    // A commit refused because another program is writing the target has
    // the cause Busy.
    Status open();
    Status write(const void* data, std::size_t size);
    Status write(std::string_view text) { return write(text.data(), text.size()); }
    // Everything but the replacement: written, flushed to the disk, closed.
    // Several files that must change together are all prepared before the
    // first is committed, so that a failure leaves every one as it was.
    Status prepare();
    // Once prepared: the old file is removed ahead of the commit, its
    // permissions passed to the new one, so that until the commit nothing
    // stands under its name (io/file_set.h). A device or FIFO stays.
    Status withdraw();
    Status commit();

    const Status& status() const { return m_status; }
    const std::filesystem::path& target() const { return m_target; }

private:
    enum class Mode { Replace, Direct, StandardOutput };

    Status fail(const std::string& what, int errorNumber);
    Status fail(const std::string& what, const std::string& why, int errorNumber = 0);
    // What a call on a file no longer open answers.
    Status closed() const;
    void discard();
    bool openUnnamed();
    bool nameUnnamed();

    std::filesystem::path m_target;
    std::filesystem::path m_destination;  // the target with its links followed
    std::filesystem::path m_temporary;
    Mode m_mode = Mode::Replace;
    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;  // m_file's, outlives it
    std::size_t m_unflushed = 0;        // bytes written since the disk was last asked to take them
    bool m_prepared = false;
    bool m_unnamed = false;  // m_file has no name until the commit gives it m_temporary
    Status m_status;
};

}  // namespace varnelo
