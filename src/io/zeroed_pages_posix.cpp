#include "io/zeroed_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

#ifndef MADV_HUGEPAGE
#define MADV_HUGEPAGE MADV_NORMAL  // a system without huge pages
#endif

namespace varnelo {

namespace {

std::size_t RoundUp(std::size_t value, std::size_t multiple) { return (value + multiple - 1) / multiple * multiple; }

}  // namespace

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
    // Only a wish: without huge pages (switched off, none free, a system
    // without the call) the same memory works with ordinary pages.
    ::madvise(start, kept, MADV_HUGEPAGE);
}

ZeroedPages::~ZeroedPages() { ::munmap(m_allocation, m_allocationSize); }

}  // namespace varnelo
