#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "io/process.h"

namespace varnelo {

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool ProcessExists(long pid) {
    if (pid <= 0 || static_cast<long>(static_cast<pid_t>(pid)) != pid) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace varnelo
