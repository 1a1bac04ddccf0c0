#pragma once
// The hidden sibling a replacement is written to before it takes the
// target's name: ".NAME.<pid>.<16 hex digits>~". A writer killed before its
// rename leaves it behind; the number of the process names its owner, so the
// next writer of the same target removes those whose process is gone.

#include <filesystem>

namespace varnelo {

std::filesystem::path TemporarySibling(const std::filesystem::path& target);

// Removes the temporary siblings of `target` that processes now gone left;
// never one of a live process, nor any name not of exactly that form.
// Returns how many were removed.
int RemoveStaleTemporaries(const std::filesystem::path& target);

}  // namespace varnelo
