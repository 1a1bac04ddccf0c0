#include "simulator/simulated_link.h"

#include <algorithm>

namespace varnelo {

std::size_t SimulatedLink::write(std::span<const std::uint8_t> bytes, Deadline) {
    if (m_gone) return 0;
    m_model.receive(bytes, m_incoming);
    return bytes.size();
}

std::size_t SimulatedLink::read(std::uint8_t* buffer, std::size_t n, Deadline) {
    if (m_gone) return 0;
    const std::size_t available = m_incoming.size() - m_readPosition;
    const std::size_t count = std::min(n, available);
    std::copy_n(m_incoming.begin() + static_cast<std::ptrdiff_t>(m_readPosition), count, buffer);
    m_readPosition += count;
    if (m_readPosition == m_incoming.size()) {
        m_incoming.clear();
        m_readPosition = 0;
    }
    return count;
}

void SimulatedLink::discardInput() {
    m_incoming.clear();
    m_readPosition = 0;
}

}  // namespace varnelo
