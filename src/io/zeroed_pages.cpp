#include "io/zeroed_pages.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <system_error>

#if (defined(__unix__) || defined(__APPLE__)) && !defined(VARNELO_PORTABLE_IO)
#include <sys/mman.h>
#define VARNELO_HAVE_MMAP 1
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older ones refuse it, and pages come when written
#endif
#endif

namespace varnelo {

namespace {

std::size_t RoundUp(std::size_t value, std::size_t multiple) { return (value + multiple - 1) / multiple * multiple; }

}  // namespace

#ifdef VARNELO_HAVE_MMAP

ZeroedPages::ZeroedPages(std::size_t size) : m_size(size) {
    // Anonymous pages come zeroed and are only backed when first touched.
    // One huge page more than needed lets the start move to a huge-page
    // boundary; the unused ends go straight back.
    const std::size_t mapped = RoundUp(size, HUGE_PAGE_SIZE) + HUGE_PAGE_SIZE;
    void* const raw = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* const first = static_cast<std::uint8_t*>(raw);
    auto* const start = reinterpret_cast<std::uint8_t*>(
        RoundUp(reinterpret_cast<std::uintptr_t>(first), HUGE_PAGE_SIZE));
    const std::size_t head = static_cast<std::size_t>(start - first);
    const std::size_t kept = RoundUp(size, HUGE_PAGE_SIZE);
    if (head > 0) ::munmap(first, head);
    if (mapped - head > kept) ::munmap(start + kept, mapped - head - kept);
    m_allocation = start;
    m_allocationSize = kept;
    m_data = start;
#ifdef MADV_HUGEPAGE
    // Only a wish: without huge pages (switched off, none free) the same
    // memory works with ordinary pages.
    ::madvise(start, kept, MADV_HUGEPAGE);
#endif
}

ZeroedPages::~ZeroedPages() {
    stopBackingAhead();
    ::munmap(m_allocation, m_allocationSize);
}

void ZeroedPages::backAhead(std::size_t offset, std::size_t bytes) {
    stopBackingAhead();
    auto* const start = static_cast<std::uint8_t*>(m_data) + offset / PAGE_SIZE * PAGE_SIZE;
    const std::size_t length = RoundUp(offset + bytes, PAGE_SIZE) - offset / PAGE_SIZE * PAGE_SIZE;
#ifdef MADV_NOHUGEPAGE
    // Ordinary pages here: the thread pays for the faults, not the writer,
    // and a system that hands its free memory back to a hypervisor keeps
    // whole huge pages cold. A download's 100 MB took this thread 180-310 ms
    // of CPU in huge pages there, and 40 ms in ordinary ones. Pages already
    // brought in stay as they are; no byte changes.
    ::madvise(start, length, MADV_NOHUGEPAGE);
#endif
    try {
        m_backer = std::thread([this, start, length] {
            // 2 MiB at a time, so that stopping waits for that much at most.
            for (std::size_t done = 0; done < length && !m_stopBacking; done += HUGE_PAGE_SIZE) {
                if (::madvise(start + done, std::min(HUGE_PAGE_SIZE, length - done), MADV_POPULATE_WRITE) != 0) return;
            }
        });
    } catch (const std::system_error&) {
        // Without the thread each page is brought in when first written.
    }
}

void ZeroedPages::stopBackingAhead() {
    if (!m_backer.joinable()) return;
    m_stopBacking = true;
    m_backer.join();
    m_stopBacking = false;
}

#else

ZeroedPages::ZeroedPages(std::size_t size) : m_size(size) {
    m_allocationSize = size + HUGE_PAGE_SIZE;
    m_allocation = std::calloc(m_allocationSize, 1);
    if (!m_allocation) throw std::bad_alloc();
    m_data = reinterpret_cast<void*>(RoundUp(reinterpret_cast<std::uintptr_t>(m_allocation), HUGE_PAGE_SIZE));
}

ZeroedPages::~ZeroedPages() { std::free(m_allocation); }

// calloc's memory is already there: nothing to bring in.
void ZeroedPages::backAhead(std::size_t, std::size_t) {}
void ZeroedPages::stopBackingAhead() {}

#endif

}  // namespace varnelo
