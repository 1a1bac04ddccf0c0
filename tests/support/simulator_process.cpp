#include "support/simulator_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

#include "data/byte_order.h"
#include "support/test_support.h"

namespace varnelo::test {

std::vector<std::uint8_t> ExpectedDataFile(const SimulatedContent& content, int count) {
    std::vector<std::uint8_t> file(content.parameters().bytes.begin(), content.parameters().bytes.end());
    file.resize(file.size() + 4);
    WriteI32Le(file.data() + BLOCK_SIZE, count);
    for (int i = 0; i < count; ++i) {
        const MeasurementRecord r = content.record(i);
        file.insert(file.end(), r.bytes.begin(), r.bytes.end());
    }
    return file;
}

namespace {
constexpr int PORT_LINE_TIMEOUT_MS = 30000;  // a sanitizer build builds 15000 records slowly
}

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options, const std::string& workingDirectory) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    const char* cli = CliPath();
    m_pid = ForkChild();
    if (m_pid == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        if (!workingDirectory.empty() && ::chdir(workingDirectory.c_str()) != 0) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>(cli), const_cast<char*>("simulate")};
        for (const auto& o : options) argv.push_back(const_cast<char*>(o.c_str()));
        argv.push_back(nullptr);
        ::execv(cli, argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    char c;
    pollfd fd{out[0], POLLIN, 0};
    while (::poll(&fd, 1, PORT_LINE_TIMEOUT_MS) > 0 && ::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    if (line.rfind("PORT ", 0) != 0) {
        kill();
        throw std::runtime_error("the simulator printed '" + line + "' instead of its port");
    }
    m_port = line.substr(5);
}

void SimulatorProcess::kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

SimulatorProcess::~SimulatorProcess() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    ::waitpid(m_pid, nullptr, 0);
}

}  // namespace varnelo::test
