#pragma once
// A data file extended with new records. The file is replaced as a whole,
// never written in place: a process killed at any moment leaves the old
// file byte for byte or the complete new one, and a program that has the
// old file open (lent pages under a lease, a reader half way) keeps reading
// the old bytes. The old part is copied by the system, which on a file
// system that shares blocks between files (btrfs, xfs) costs nothing but the
// new records; elsewhere it is one in-kernel copy, less than a save of the
// same document, which writes every byte from memory.

#include <filesystem>

#include "data/data_file.h"
#include "data/data_file_reader.h"
#include "data/document.h"

namespace varnelo {

// Refuses what cannot be extended without changing its nature: a missing
// file, one that is not a regular file (a pipe, a device), a read-only file
// or one in a read-only folder (by its permission bits, so that even the
// superuser leaves them as they were).
FileOutcome CheckAppendable(const std::filesystem::path& path);

// Replaces file's path with: its parameter block and records 0..k-1 byte
// for byte (k = file.count()), then doc's records k..end-1, with a count of
// end. file is open on the path; the caller has checked its records.
FileOutcome AppendToDataFile(DataFileReader& file, const CVarneloDoc& doc, int end);

}  // namespace varnelo
