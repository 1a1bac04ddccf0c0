#pragma once
// A large stretch of zeroed memory that is only paid for as it is touched:
// the system hands out its pages on first use. Where the system can back it
// with huge pages it is asked to, so that filling the stretch once (a whole
// data file read into the document) costs a few dozen page faults instead of
// tens of thousands; the memory itself is the same either way.

#include <atomic>
#include <cstddef>
#include <thread>

namespace varnelo {

class ZeroedPages {
public:
    // The stretch starts on a multiple of HUGE_PAGE_SIZE. Throws
    // std::bad_alloc when the system has no room for it.
    explicit ZeroedPages(std::size_t size);
    ~ZeroedPages();
    ZeroedPages(const ZeroedPages&) = delete;
    ZeroedPages& operator=(const ZeroedPages&) = delete;

    // Has a thread of its own bring in the pages of [offset, offset + bytes)
    // now, in order, so that writes arriving later, a record at a time (a
    // download), find them ready instead of each waiting for the system to
    // clear a fresh page. These pages are ordinary ones: with a thread
    // bringing them in, the count of faults matters less than the cost of a
    // fresh page. No byte changes. A call ends the work of the last.
    void backAhead(std::size_t offset, std::size_t bytes);
    // Ends that work: once it returns, no other thread touches the pages.
    void stopBackingAhead();

    void* data() const { return m_data; }
    std::size_t size() const { return m_size; }

    static constexpr std::size_t PAGE_SIZE = 4096;
    static constexpr std::size_t HUGE_PAGE_SIZE = std::size_t{2} << 20;

private:
    void* m_data = nullptr;
    std::size_t m_size = 0;
    void* m_allocation = nullptr;  // what goes back to the system
    std::size_t m_allocationSize = 0;
    std::thread m_backer;
    std::atomic<bool> m_stopBacking{false};
};

}  // namespace varnelo
