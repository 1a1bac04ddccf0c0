#pragma once
// Files that are read together, one of which describes the others (a
// library's .hdr beside its .sli and .csv, a layer's .qml beside the layer).
// A reader that finds the describing file trusts it about the rest, so it
// must never stand beside data it was not written for. The set is replaced
// in this order: every file written and flushed to the disk; the old
// describing file removed; the others renamed into place; the describing
// file renamed last. A kill at any moment thus leaves the old set, the new
// set, or a set without its describing file, which no reader takes for
// whole; the next write of the set leaves a whole new one.

#include <span>

#include "io/atomic_file.h"
#include "io/status.h"

namespace varnelo {

// The members and the header, each opened and written, are committed as
// above; the first failure is returned, and a failure before the old header
// is removed leaves every file as it was.
Status CommitFileSet(std::span<AtomicFileWriter* const> members, AtomicFileWriter& header);

}  // namespace varnelo
