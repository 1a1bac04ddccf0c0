#include <windows.h>

#include "io/process.h"

namespace varnelo {

long CurrentProcessId() { return static_cast<long>(::GetCurrentProcessId()); }

bool ProcessExists(long pid) {
    if (pid <= 0) return false;
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    // Refused access means it is there; an unknown number means it is not.
    if (!process) return ::GetLastError() != ERROR_INVALID_PARAMETER;
    DWORD code = 0;
    const bool running = !::GetExitCodeProcess(process, &code) || code == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

}  // namespace varnelo
