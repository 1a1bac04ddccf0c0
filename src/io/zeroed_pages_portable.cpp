#include "io/zeroed_pages.h"

#include <cstdint>
#include <cstdlib>
#include <new>

namespace varnelo {

ZeroedPages::ZeroedPages(std::size_t size) : m_size(size) {
    // A stretch this large is left to the system, which zeroes its pages as
    // they are first touched.
    m_allocationSize = size + HUGE_PAGE_SIZE;
    m_allocation = std::calloc(m_allocationSize, 1);
    if (!m_allocation) throw std::bad_alloc();
    const auto address = reinterpret_cast<std::uintptr_t>(m_allocation);
    m_data = reinterpret_cast<void*>((address + HUGE_PAGE_SIZE - 1) / HUGE_PAGE_SIZE * HUGE_PAGE_SIZE);
}

ZeroedPages::~ZeroedPages() { std::free(m_allocation); }

}  // namespace varnelo
