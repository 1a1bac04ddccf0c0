#include "device/trace_file.h"

#include <cstdio>
#include <ctime>

#include "device/trace_text.h"
#include "io/open_file.h"

namespace varnelo {

TraceFile::TraceFile(const std::filesystem::path& path, StopReport stopped)
    : m_name(PathText(path)), m_stopped(std::move(stopped)) {
    std::string why;
    m_sink = OpenTraceSink(path, why);
    if (!m_sink) stop(why);
}

TraceFile::~TraceFile() = default;

void TraceFile::stop(const std::string& why) {
    m_sink.reset();
    if (!m_status) return;
    m_status = {Status::Kind::SaveFailed, "trace stopped: " + m_name + ": " + why};
    m_status.path = m_name;
    if (m_stopped) m_stopped(m_status.detail);
}

void TraceFile::write(std::string_view text) {
    if (!m_sink) return;
    std::string why;
    if (!WriteTraceSink(*m_sink, text, why)) stop(why);
}

void TraceFile::begin(const std::string& portName) {
    m_start = LinkClock::now();
    if (!m_sink) return;
    const std::time_t now = std::time(nullptr);
    char when[32] = "?";
    if (const std::tm* utc = std::gmtime(&now)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", utc);
    std::string header = "# varnelo trace of ";
    header += portName;
    header += ", started ";
    header += when;
    header += '\n';
    write(header);
}

void TraceFile::event(const std::string& what, const std::uint8_t* bytes, std::size_t n) {
    if (!m_sink) return;
    const double seconds = std::chrono::duration<double>(LinkClock::now() - m_start).count();
    char time[32];
    std::snprintf(time, sizeof time, "%12.6f ", seconds);
    std::string text(time);
    text += what;
    text += '\n';
    if (bytes && n > 0) text += HexDump(bytes, n);
    // One write per event, unbuffered: a trace is read after a crash or a
    // hang as often as after an exit.
    write(text);
}

}  // namespace varnelo
