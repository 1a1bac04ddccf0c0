#pragma once
// `varnelo-cli simulate` as a child process: started with its options, its
// "PORT <path>" line read, and ended when the object goes.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/simulated_content.h"

namespace varnelo::test {

// The data file that a download of the first `count` records of this
// logger must give, byte for byte.
std::vector<std::uint8_t> ExpectedDataFile(const SimulatedContent& content, int count);

class SimulatorProcess {
public:
    // Runs in workingDirectory when one is given.
    explicit SimulatorProcess(const std::vector<std::string>& options, const std::string& workingDirectory = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    const std::string& port() const { return m_port; }
    // The logger vanishes at once, as when its cable is pulled.
    void kill();

private:
    pid_t m_pid = -1;
    std::string m_port;
};

}  // namespace varnelo::test
