#pragma once
// Processes by number, for telling whose files are whose: one source file a
// system.

namespace varnelo {

long CurrentProcessId();

// False only when the system says no process has that number. A process
// that exists but is not ours to signal, or a zombie, is alive.
bool ProcessExists(long pid);

}  // namespace varnelo
