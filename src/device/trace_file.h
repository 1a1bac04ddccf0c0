#pragma once
// The file a trace goes to. A trace must never cost the download it
// records: a file that cannot be opened, a FIFO nobody reads, a reader that
// went away or a full disk stops the trace, says why once through the
// report given at construction, and every later write is skipped. Nothing
// here waits long or raises a signal.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "device/byte_link.h"
#include "io/status.h"

namespace varnelo {

class TraceFile {
public:
    // "trace stopped: <file>: <why>", said once, when the trace stops.
    using StopReport = std::function<void(const std::string&)>;

    // Appends to the file. A FIFO without a reader is not waited for.
    explicit TraceFile(const std::filesystem::path& path, StopReport stopped = {});
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Fails (SaveFailed, naming the file) once the trace has stopped or
    // never started, with the line the report said.
    const Status& status() const { return m_status; }

    // Starts the clock of the times the events carry.
    void begin(const std::string& portName);
    // One event line, "<seconds> what", with a hex dump of the bytes below it.
    void event(const std::string& what, const std::uint8_t* bytes = nullptr, std::size_t n = 0);

    // The platform's way to the file: open, write all or say why not, close.
    struct Sink;
    struct SinkCloser {
        void operator()(Sink* sink) const;
    };
    using SinkHandle = std::unique_ptr<Sink, SinkCloser>;

private:
    void write(std::string_view text);
    void stop(const std::string& why);

    SinkHandle m_sink;
    std::string m_name;
    Status m_status;
    StopReport m_stopped;
    LinkClock::time_point m_start = LinkClock::now();
};

// The platform halves behind TraceFile.
TraceFile::SinkHandle OpenTraceSink(const std::filesystem::path& path, std::string& why);
bool WriteTraceSink(TraceFile::Sink& sink, std::string_view text, std::string& why);

}  // namespace varnelo
