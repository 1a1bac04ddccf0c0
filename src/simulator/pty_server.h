#pragma once
// Serves the simulated logger on a pseudo-terminal, so that the program's
// real serial code opens it like any other port. POSIX only.

#include <chrono>
#include <csignal>
#include <string>

#include "simulator/logger_model.h"

namespace varnelo {

struct PtyServerOptions {
    std::string linkPath;                   // a symlink to the terminal is made here when not empty (made absolute)
    std::chrono::milliseconds pace{0};      // a slow logger: delay before each record reply
    std::string wireLogPath;                // each command that arrives, one line each ("140 7", "16"), when not empty
};

class PtyServer {
public:
    PtyServer() = default;
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Creates the terminal (and the link); false with error set on failure.
    bool open(const PtyServerOptions& options, std::string& error);

    // The path clients open: the link if one was asked for, else the terminal itself.
    const std::string& portPath() const { return m_options.linkPath.empty() ? m_slavePath : m_options.linkPath; }
    const std::string& terminalPath() const { return m_slavePath; }

    // Answers clients, one after another, until *stop turns non-zero.
    // Returns false with error set if the terminal fails.
    bool serve(LoggerModel& model, const volatile std::sig_atomic_t& stop, std::string& error);

private:
    int m_master = -1;
    std::string m_slavePath;
    PtyServerOptions m_options;
    bool m_linkMade = false;
};

}  // namespace varnelo
