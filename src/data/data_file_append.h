#pragma once
// A data file extended in place with new records, one writer at a time.
// The file is opened and locked before its count and last record are read,
// and stays locked until the new records are in: what the caller checks
// them against is what the file holds, and no other writer of this program
// (an append, a save renaming a new file over it) changes it meanwhile.
// The new records go after the file's last announced record and are
// flushed to the disk before the count that announces them is written and
// flushed: a process killed at any moment leaves a file that reads as the
// old one (bytes after the announced records are ignored) or the complete
// new one. Being the same file, it keeps its hard links, owner, group, mode
// and extended attributes.

#include <chrono>
#include <cstdint>
#include <filesystem>

#include "data/data_file.h"
#include "data/document.h"
#include "io/file_lock.h"

namespace varnelo {

// Refuses what cannot be extended without changing its nature: a missing
// file, one that is not a regular file (a pipe, a device), or a read-only
// file (by its permission bits, so that even the superuser leaves it as it
// was).
Status CheckAppendable(const std::filesystem::path& path);

struct AppendResult {
    Status status;  // ok once the new records and their count are on the disk
    // Bytes that lay after the file's last announced record, left by a
    // writer that stopped half way; the append wrote over them.
    std::uintmax_t overwrittenBytes = 0;
};

class LockedDataFile {
public:
    // CheckAppendable's refusals, then the file opened and locked (waiting
    // `patience` for another writer, then refused with "PATH is being
    // written by another program" and busy() true), then LoadDataFile's
    // refusals of its size and count.
    Status open(const std::filesystem::path& path, std::chrono::milliseconds patience = LOCK_PATIENCE);
    bool busy() const { return m_file.status().cause == Status::Cause::Busy; }

    int count() const { return m_count; }
    const ParameterBlock& parameterBlock() const { return m_block0; }
    const std::filesystem::path& path() const { return m_path; }
    // Reads records first..first+n-1; returns how many arrived whole.
    int read(int first, int n, MeasurementRecord* into);

    // Writes doc's records count()..end-1 after the file's last record, then
    // the count of end. A failure before the count leaves the file as it
    // read. The lock is held until this object goes.
    AppendResult append(const CVarneloDoc& doc, int end);

private:
    LockedFile m_file;
    std::filesystem::path m_path;
    ParameterBlock m_block0{};
    std::uintmax_t m_size = 0;
    int m_count = 0;
};

}  // namespace varnelo
