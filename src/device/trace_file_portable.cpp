// The trace's file through a C stream, on systems without POSIX descriptors.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "device/trace_file.h"
#include "io/open_file.h"

namespace varnelo {

struct TraceFile::Sink {
    std::FILE* file = nullptr;
};

TraceFile::SinkHandle OpenTraceSink(const std::filesystem::path& path, std::string& why) {
    std::FILE* file = OpenFile(path, "ab");
    if (!file) {
        why = std::strerror(errno);
        return nullptr;
    }
    TraceFile::SinkHandle sink(new TraceFile::Sink);
    sink->file = file;
    return sink;
}

bool WriteTraceSink(TraceFile::Sink& sink, std::string_view text, std::string& why) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), sink.file) == text.size() && std::fflush(sink.file) == 0) return true;
    why = errno != 0 ? std::strerror(errno) : "it cannot be written";
    return false;
}

void TraceFile::SinkCloser::operator()(Sink* sink) const {
    if (sink->file) std::fclose(sink->file);
    delete sink;
}

}  // namespace varnelo
