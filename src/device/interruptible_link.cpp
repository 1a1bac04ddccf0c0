#include "device/interruptible_link.h"

namespace varnelo {

std::size_t InterruptibleLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    if (m_interrupt->raised()) return 0;
    return m_inner->write(bytes, deadline);
}

std::size_t InterruptibleLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    std::size_t got = 0;
    while (!m_interrupt->raised()) {
        got += m_inner->read(buffer + got, n - got, std::min(deadline, LinkClock::now() + INTERRUPT_SLICE));
        if (got >= n || m_inner->gone() || LinkClock::now() >= deadline) break;
    }
    return got;
}

void InterruptibleLink::discardInput() {
    // Waiting for the line to fall quiet would only delay the stop: the
    // next job connects afresh anyway.
    if (!m_interrupt->raised()) m_inner->discardInput();
}

OpenedPort InterruptibleCatalog::open(const std::string& portName) {
    OpenedPort opened = m_catalog.open(portName);
    if (opened.link) opened.link = std::make_unique<InterruptibleLink>(std::move(opened.link), m_interrupt);
    return opened;
}

}  // namespace varnelo
