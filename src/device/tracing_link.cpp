#include "device/tracing_link.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "io/open_file.h"

namespace varnelo {

namespace {

constexpr std::size_t BYTES_PER_LINE = 16;

}  // namespace

std::string HexDump(const std::uint8_t* bytes, std::size_t n) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    std::string out;
    for (std::size_t line = 0; line < n; line += BYTES_PER_LINE) {
        char offset[32];
        std::snprintf(offset, sizeof offset, "  %04zx  ", line);
        out += offset;
        std::string text;
        for (std::size_t i = line; i < line + BYTES_PER_LINE; ++i) {
            if (i < n) {
                out += DIGITS[bytes[i] >> 4];
                out += DIGITS[bytes[i] & 0xF];
                out += ' ';
                text += bytes[i] >= 0x20 && bytes[i] < 0x7F ? static_cast<char>(bytes[i]) : '.';
            } else {
                out += "   ";
            }
        }
        out += ' ';
        out += text;
        out += '\n';
    }
    return out;
}

TraceFile::TraceFile(const std::filesystem::path& path) : m_file(OpenFile(path, "ab")) {
    if (!m_file) m_error = "cannot write the trace " + PathText(path) + ": " + std::strerror(errno);
}

TraceFile::~TraceFile() {
    if (m_file) std::fclose(m_file);
}

void TraceFile::begin(const std::string& portName) {
    if (!m_file) return;
    m_start = LinkClock::now();
    const std::time_t now = std::time(nullptr);
    char when[32] = "?";
    if (const std::tm* utc = std::gmtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", utc);
    std::fprintf(m_file, "# varnelo trace of %s, started %s\n", portName.c_str(), when);
    std::fflush(m_file);
}

void TraceFile::event(const std::string& what, const std::uint8_t* bytes, std::size_t n) {
    if (!m_file) return;
    const double seconds = std::chrono::duration<double>(LinkClock::now() - m_start).count();
    std::fprintf(m_file, "%12.6f %s\n", seconds, what.c_str());
    if (bytes && n > 0) std::fputs(HexDump(bytes, n).c_str(), m_file);
    // A trace is read after a crash or a hang as often as after an exit.
    std::fflush(m_file);
}

TracingLink::TracingLink(std::unique_ptr<ByteLink> link, std::shared_ptr<TraceFile> trace, const std::string& portName)
    : m_link(std::move(link)), m_trace(std::move(trace)) {
    m_trace->begin(portName);
}

void TracingLink::tellGone() {
    if (m_goneTold || !m_link->gone()) return;
    m_goneTold = true;
    m_trace->event("the port has gone");
}

std::size_t TracingLink::write(std::span<const std::uint8_t> bytes, Deadline deadline) {
    const std::size_t sent = m_link->write(bytes, deadline);
    m_trace->event("> " + std::to_string(sent) + " of " + std::to_string(bytes.size()) + " bytes", bytes.data(),
                   sent);
    tellGone();
    return sent;
}

std::size_t TracingLink::read(std::uint8_t* buffer, std::size_t n, Deadline deadline) {
    const std::size_t got = m_link->read(buffer, n, deadline);
    m_trace->event("< " + std::to_string(got) + " of " + std::to_string(n) + " bytes", buffer, got);
    tellGone();
    return got;
}

void TracingLink::discardInput() {
    m_link->discardInput();
    m_trace->event("input discarded");
    tellGone();
}

bool TracingLink::inputPending() {
    const bool pending = m_link->inputPending();
    if (pending) m_trace->event("more input than asked for is waiting");
    return pending;
}

OpenedPort TracingCatalog::open(const std::string& portName) {
    OpenedPort opened = m_catalog.open(portName);
    if (opened.link) {
        opened.link = std::make_unique<TracingLink>(std::move(opened.link), m_trace, portName);
    } else {
        m_trace->begin(portName);
        m_trace->event("cannot open: " + opened.error);
    }
    return opened;
}

}  // namespace varnelo
