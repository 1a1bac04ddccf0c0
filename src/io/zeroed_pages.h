#pragma once
// A large stretch of zeroed memory that is only paid for as it is touched:
// the system hands out its pages on first use. Where the system can back it
// with huge pages it is asked to, so that filling the stretch once (a whole
// data file read into the document) costs a few dozen page faults instead of
// tens of thousands; the memory itself is the same either way.
// zeroed_pages_posix.cpp maps anonymous memory and asks for huge pages;
// zeroed_pages_portable.cpp (Windows and the portable build) takes it from
// calloc, with ordinary pages.

#include <cstddef>

namespace varnelo {

class ZeroedPages {
public:
    // The stretch starts on a multiple of HUGE_PAGE_SIZE. Throws
    // std::bad_alloc when the system has no room for it.
    explicit ZeroedPages(std::size_t size);
    ~ZeroedPages();
    ZeroedPages(const ZeroedPages&) = delete;
    ZeroedPages& operator=(const ZeroedPages&) = delete;

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }

    static constexpr std::size_t HUGE_PAGE_SIZE = std::size_t{2} << 20;

private:
    void* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_allocation = nullptr;  // what goes back to the system
    std::size_t m_allocationSize = 0;
};

}  // namespace varnelo
