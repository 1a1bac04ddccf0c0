#include "io/file_loan.h"

#if defined(__linux__)

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <thread>

#include "io/parallel_parts.h"

#ifndef MADV_POPULATE_READ
#define MADV_POPULATE_READ 22  // Linux 5.14; older ones refuse it, and the file is read
#endif

namespace varnelo {

namespace {

// A slot is taken by one loan; the lease's signal handler finds it by the
// descriptor the signal names. The states order who may act: whoever moves a
// slot out of LENT does the work, anyone else waits for RETURNED.
enum SlotState : int { FREE, SETTING_UP, LENT, RETURNING, RETURNED };

struct Slot {
    std::atomic<int> state{FREE};
    int fd = -1;
    void* at = nullptr;
    std::size_t bytes = 0;
};

constexpr int SLOT_COUNT = 8;
Slot g_slots[SLOT_COUNT];

constexpr std::size_t POPULATE_PART_MINIMUM = std::size_t{8} << 20;

// Only file systems on a local disk: a network share can change behind a
// lease, and a removable stick may be gone when a page is next read.
bool OnLocalDisk(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) return false;
    switch (static_cast<unsigned long>(info.f_type)) {
        case 0xEF53UL:      // ext2, ext3, ext4
        case 0x58465342UL:  // xfs
        case 0x9123683EUL:  // btrfs
        case 0xF2F52010UL:  // f2fs
        case 0x01021994UL:  // tmpfs
            return true;
        default:
            return false;
    }
}

// Runs inside the signal handler: system calls and a copy, nothing that
// allocates or locks.
void MakePrivate(const Slot& slot) {
    void* const copy = ::mmap(nullptr, slot.bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy == MAP_FAILED) return;
    std::memcpy(copy, slot.at, slot.bytes);
    // Swapping the copy in is one step: a reader on another thread sees the
    // same bytes before and after.
    if (::mremap(copy, slot.bytes, slot.bytes, MREMAP_MAYMOVE | MREMAP_FIXED, slot.at) == MAP_FAILED)
        ::munmap(copy, slot.bytes);
}

void FillWithZeros(void* at, std::size_t bytes) {
    ::mmap(at, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
#ifdef MADV_HUGEPAGE
    ::madvise(at, bytes, MADV_HUGEPAGE);
#endif
}

// Takes the slot out of LENT for the caller, or waits while someone else
// does the work; true when the caller must do it.
bool Claim(Slot& slot) {
    int expected = LENT;
    if (slot.state.compare_exchange_strong(expected, RETURNING)) return true;
    while (slot.state.load() == RETURNING) std::this_thread::yield();
    return false;
}

// For whoever took the slot out of LENT: the file is let go, its bytes kept
// in private memory where asked.
void LetGo(const Slot& slot, bool keepBytes) {
    if (keepBytes) MakePrivate(slot);
    ::fcntl(slot.fd, F_SETLEASE, F_UNLCK);
}

void Return(Slot& slot, bool keepBytes) {
    if (Claim(slot)) LetGo(slot, keepBytes);
    if (!keepBytes) FillWithZeros(slot.at, slot.bytes);
    ::close(slot.fd);
    slot.state.store(FREE);
}

void OnLeaseBroken(int, siginfo_t* info, void*) {
    const int saved = errno;
    for (Slot& slot : g_slots) {
        if (slot.state.load() != LENT || slot.fd != info->si_fd) continue;
        int expected = LENT;
        if (!slot.state.compare_exchange_strong(expected, RETURNING)) continue;
        LetGo(slot, true);
        slot.state.store(RETURNED);
    }
    errno = saved;
}

// The lease's signal: one of the real-time ones, so that two breaks at once
// both arrive, and only if nothing else in the program handles it.
int LeaseSignal() {
    static int signal = -1;
    static std::once_flag installed;
    std::call_once(installed, [] {
        const int candidate = SIGRTMAX - 3;
        struct sigaction previous {};
        if (::sigaction(candidate, nullptr, &previous) != 0 || previous.sa_handler != SIG_DFL) return;
        struct sigaction action {};
        action.sa_sigaction = OnLeaseBroken;
        action.sa_flags = SA_SIGINFO | SA_RESTART;
        sigemptyset(&action.sa_mask);
        if (::sigaction(candidate, &action, nullptr) == 0) signal = candidate;
    });
    return signal;
}

int TakeFreeSlot() {
    for (int i = 0; i < SLOT_COUNT; ++i) {
        int expected = FREE;
        if (g_slots[i].state.compare_exchange_strong(expected, SETTING_UP)) return i;
    }
    return -1;
}

// Maps every page now, reading from the disk what the system's cache does
// not hold, so that a failing disk shows here, as a refused loan, and not at
// a later read of the page, which would stop the program. The parts run at
// the same time: the mapping itself is most of the cost.
bool MapEveryPage(void* at, std::size_t bytes, std::size_t page) {
    std::atomic<bool> failed{false};
    ForEachPart(bytes / page, POPULATE_PART_MINIMUM / page, [&](std::size_t begin, std::size_t end) {
        if (::madvise(static_cast<std::uint8_t*>(at) + begin * page, (end - begin) * page, MADV_POPULATE_READ) != 0)
            failed = true;
    });
    return !failed;
}

}  // namespace

bool FileLoan::begin(int fd, std::uint64_t offset, void* at, std::size_t bytes) {
    end();
    const int signal = LeaseSignal();
    if (signal < 0 || fd < 0 || bytes == 0 || !OnLocalDisk(fd)) return false;
    const int index = TakeFreeSlot();
    if (index < 0) return false;
    Slot& slot = g_slots[index];
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    slot.fd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    slot.at = at;
    slot.bytes = (bytes + page - 1) / page * page;
    const auto giveUp = [&](bool mapped) {
        if (mapped) FillWithZeros(at, slot.bytes);
        if (slot.fd >= 0) ::close(slot.fd);
        slot.state.store(FREE);
        return false;
    };
    if (slot.fd < 0) return giveUp(false);
    // The slot is published before the lease is asked for: a break may
    // arrive the moment it is granted.
    if (::mmap(at, slot.bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_FIXED, slot.fd,
               static_cast<off_t>(offset)) == MAP_FAILED)
        return giveUp(false);
    slot.state.store(LENT);
    if (::fcntl(slot.fd, F_SETSIG, signal) != 0 || ::fcntl(slot.fd, F_SETOWN, ::getpid()) != 0 ||
        ::fcntl(slot.fd, F_SETLEASE, F_RDLCK) != 0) {
        Claim(slot);
        return giveUp(true);
    }
    m_slot = index;
    // A change before the lease was granted shows in the size; one after it
    // waits for the lease.
    struct stat status {};
    if (::fstat(slot.fd, &status) != 0 || static_cast<std::uint64_t>(status.st_size) < offset + bytes ||
        !MapEveryPage(at, slot.bytes, page)) {
        end();
        return false;
    }
    return true;
}

void FileLoan::keep() {
    if (m_slot < 0) return;
    Return(g_slots[m_slot], true);
    m_slot = -1;
}

void FileLoan::end() {
    if (m_slot < 0) return;
    Return(g_slots[m_slot], false);
    m_slot = -1;
}

}  // namespace varnelo

#else

namespace varnelo {

bool FileLoan::begin(int, std::uint64_t, void*, std::size_t) { return false; }
void FileLoan::keep() {}
void FileLoan::end() {}

}  // namespace varnelo

#endif
