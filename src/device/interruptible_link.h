#pragma once
// A link whose waits another thread can cut short. The window runs the
// logger on a thread of its own; its stop control must end a job at once,
// even while an exchange waits up to two seconds on a logger that has gone
// silent. Every wait is cut into short slices, and the interrupt is looked
// at between two slices, so the port's own code needs nothing of threads.

#include <atomic>
#include <chrono>
#include <memory>

#include "device/byte_link.h"
#include "device/port_catalog.h"

namespace varnelo {

// Longest wait between two looks at the interrupt.
inline constexpr std::chrono::milliseconds INTERRUPT_SLICE{10};

// Set by whoever stops a job (any thread), cleared by the thread that runs
// the links once the job has ended.
class LinkInterrupt {
public:
    void raise() { m_raised.store(true, std::memory_order_release); }
    void clear() { m_raised.store(false, std::memory_order_release); }
    bool raised() const { return m_raised.load(std::memory_order_acquire); }

private:
    std::atomic<bool> m_raised{false};
};

// While the interrupt is raised, nothing more goes out or is waited for:
// each exchange then fails at once as one that timed out would.
class InterruptibleLink : public ByteLink {
public:
    InterruptibleLink(std::unique_ptr<ByteLink> inner, std::shared_ptr<const LinkInterrupt> interrupt)
        : m_inner(std::move(inner)), m_interrupt(std::move(interrupt)) {}

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override { return m_inner->inputPending(); }
    bool gone() const override { return m_inner->gone(); }

private:
    std::unique_ptr<ByteLink> m_inner;
    std::shared_ptr<const LinkInterrupt> m_interrupt;
};

// Every port it opens is interruptible.
class InterruptibleCatalog : public PortCatalog {
public:
    InterruptibleCatalog(PortCatalog& catalog, std::shared_ptr<const LinkInterrupt> interrupt)
        : m_catalog(catalog), m_interrupt(std::move(interrupt)) {}
    std::vector<PortEntry> ports() override { return m_catalog.ports(); }
    OpenedPort open(const std::string& portName) override;

private:
    PortCatalog& m_catalog;
    std::shared_ptr<const LinkInterrupt> m_interrupt;
};

}  // namespace varnelo
