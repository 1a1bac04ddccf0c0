#pragma once
// A ByteLink that writes every exchange with its link to a trace file, for
// a bug report: what went out, what came back and when, discards, and a
// port that has gone. The link it wraps does the work; the trace only
// watches, and a trace that fails stops without touching the exchanges.
//
// Short form, one line per exchange:
//   # varnelo trace of COM3, started 2026-12-09 09:30:00 UTC
//       0.000105 select record 7 (command 140): 2 bytes 0600
//       0.002871 read record 7 (command 16): 6728 bytes, crc32 …, first 32 …, last 32 …
// Full form, every write and read as a hex dump:
//       0.000105 > 8 of 8 bytes
//     0000  8c 00 04 00 07 00 00 00                          ........

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/byte_link.h"
#include "device/port_catalog.h"
#include "device/trace_file.h"
#include "device/trace_text.h"

namespace varnelo {

enum class TraceForm { Short, Full };

class TracingLink : public ByteLink {
public:
    TracingLink(std::unique_ptr<ByteLink> link, std::shared_ptr<TraceFile> trace, const std::string& portName,
                TraceForm form = TraceForm::Short);

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override;
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override;
    void discardInput() override;
    bool inputPending() override;
    bool gone() const override { return m_link->gone(); }

private:
    std::unique_ptr<ByteLink> m_link;
    std::shared_ptr<TraceFile> m_trace;
    TraceForm m_form;
    // The name of the exchange whose frame went out and whose reply is
    // awaited; the record selected last, which a record read names.
    std::optional<std::string> m_awaiting;
    std::optional<std::int32_t> m_selected;
    bool m_goneTold = false;
    void tellGone();
};

// A catalog whose opened ports are traced into one file; what the port's
// opening noted (a setting the driver refused) heads the trace.
class TracingCatalog : public PortCatalog {
public:
    TracingCatalog(PortCatalog& catalog, std::shared_ptr<TraceFile> trace, TraceForm form = TraceForm::Short)
        : m_catalog(catalog), m_trace(std::move(trace)), m_form(form) {}
    std::vector<PortEntry> ports() override { return m_catalog.ports(); }
    OpenedPort open(const std::string& portName) override;

private:
    PortCatalog& m_catalog;
    std::shared_ptr<TraceFile> m_trace;
    TraceForm m_form;
};

}  // namespace varnelo
