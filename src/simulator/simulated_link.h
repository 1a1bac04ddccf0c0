#pragma once
// The simulated logger reached in-process, without any port: what --sim
// connects to. No time passes here, so a reply that is short or missing is
// known at once and the read returns without waiting for its deadline.

#include <atomic>
#include <cstdint>
#include <vector>

#include "device/byte_link.h"
#include "simulator/logger_model.h"

namespace varnelo {

inline constexpr const char* SIMULATED_PORT_NAME = "SIM";

class SimulatedLink : public ByteLink {
public:
    explicit SimulatedLink(const SimulatorSettings& settings) : m_model(settings) {}

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override { return !m_gone && m_readPosition < m_incoming.size(); }
    bool gone() const override { return m_gone; }

    // The cable is pulled: every later write and read moves nothing. Any
    // thread may pull it.
    void unplug() { m_gone = true; }

    LoggerModel& model() { return m_model; }
    const LoggerModel& model() const { return m_model; }

private:
    LoggerModel m_model;
    std::vector<std::uint8_t> m_incoming;
    std::size_t m_readPosition = 0;
    std::atomic<bool> m_gone{false};
};

}  // namespace varnelo
