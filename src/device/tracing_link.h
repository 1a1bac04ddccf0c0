#pragma once
// A ByteLink that writes every exchange with its link to a file as a hex
// dump with times, for a bug report: what went out, what came back and
// when, discards, and a port that has gone. The link it wraps does the work.
//
//   # varnelo trace of COM3, started 2026-12-09 09:30:00 UTC
//       0.000105 > 4 bytes
//     0000  12 00 08 1a                                       ....
//       0.002871 < 6728 of 6728 bytes
//     0000  41 42 ...

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "device/byte_link.h"
#include "device/port_catalog.h"

namespace varnelo {

class TraceFile {
public:
    // Appends to the file; error() says why when it cannot be written.
    explicit TraceFile(const std::filesystem::path& path);
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    bool ok() const { return m_file != nullptr; }
    const std::string& error() const { return m_error; }

    void begin(const std::string& portName);
    // One event: "> n bytes", "< got of n bytes", "discard", ... with the
    // bytes below it, 16 to a line.
    void event(const std::string& what, const std::uint8_t* bytes = nullptr, std::size_t n = 0);

private:
    std::FILE* m_file = nullptr;
    std::string m_error;
    LinkClock::time_point m_start = LinkClock::now();
};

// The bytes as lines of "  offset  hex…  text", printable ASCII shown, the rest as '.'.
std::string HexDump(const std::uint8_t* bytes, std::size_t n);

class TracingLink : public ByteLink {
public:
    TracingLink(std::unique_ptr<ByteLink> link, std::shared_ptr<TraceFile> trace, const std::string& portName);

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override;
    bool gone() const override { return m_link->gone(); }

private:
    std::unique_ptr<ByteLink> m_link;
    std::shared_ptr<TraceFile> m_trace;
    bool m_goneTold = false;
    void tellGone();
};

// A catalog whose opened ports are traced into one file.
class TracingCatalog : public PortCatalog {
public:
    TracingCatalog(PortCatalog& catalog, std::shared_ptr<TraceFile> trace)
        : m_catalog(catalog), m_trace(std::move(trace)) {}
    std::vector<PortEntry> ports() override { return m_catalog.ports(); }
    OpenedPort open(const std::string& portName) override;

private:
    PortCatalog& m_catalog;
    std::shared_ptr<TraceFile> m_trace;
};

}  // namespace varnelo
