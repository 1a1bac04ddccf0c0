#include "session/session.h"
#include "io/path_text.h"

#include "data/data_file_reader.h"
#include "io/process.h"

namespace varnelo {

Session::Session() : m_doc(std::make_unique<CVarneloDoc>()), m_track(std::make_unique<GpsTrack>()) {}

void Session::computeTrack() {
    m_trackOwed = true;
    settleTrack();
}

void Session::settleTrack() const {
    if (!m_trackOwed) return;
    m_trackOwed = false;
    m_trackCount = m_doc->recordCount();
    ComputeTrack(*m_doc, m_trackCount, *m_track);
    ++m_trackVersion;
}

std::optional<Session::FileStamp> Session::StampOf(const std::filesystem::path& path) {
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (code) return std::nullopt;
    const auto time = std::filesystem::last_write_time(path, code);
    if (code) return std::nullopt;
    return FileStamp{size, time};
}

bool Session::changedOnDisk() const { return !m_path.empty() && m_stamp && StampOf(m_path) != m_stamp; }

std::string Session::title() const { return PathText(m_path.filename()); }

void Session::renew() {
    m_path.clear();
    m_stamp.reset();
    m_changed = false;
}

void Session::beginDownload() {
    renew();
    m_trackOwed = true;
}

Status Session::open(const std::filesystem::path& path, Streams streams) {
    const int countBefore = m_doc->recordCount();
    Status outcome = LoadDataFile(path, *m_doc, streams);
    if (!outcome) {
        // A read that failed half way has emptied the document: its track follows.
        if (m_doc->recordCount() != countBefore) m_trackOwed = true;
        return outcome;
    }
    m_trackOwed = true;
    m_path = path;
    m_stamp = StampOf(path);
    m_changed = false;
    return {};
}

Status Session::save(const std::filesystem::path& path) {
    Status outcome = SaveDataFile(path, *m_doc);
    if (!outcome) return outcome;
    m_path = path;
    m_stamp = StampOf(path);
    m_changed = false;
    return {};
}

ExportResult Session::exportCsv(const std::filesystem::path& target, const CsvOptions& options,
                                const ExportProgress& progress) const {
    return ExportCsv(target, *m_doc, track(), options, progress);
}

ExportResult Session::exportLibrary(const LibraryFiles& files, const LibraryOptions& options,
                                   const ExportProgress& progress) const {
    return withRecordFile([&](DataFileReader& reader) {
        DataFileReader* const sources[] = {&reader};
        return ExportSpectralLibrary(files, sources, options, progress);
    });
}

ExportResult Session::withRecordFile(const std::function<ExportResult(DataFileReader&)>& exportFrom) const {
    std::filesystem::path source = m_path;
    std::filesystem::path copy;
    if (source.empty() || m_changed || changedOnDisk()) {
        copy = std::filesystem::temp_directory_path() /
               ("varnelo-records-" + std::to_string(CurrentProcessId()) + ".vrnldata");
        if (Status saved = SaveDataFile(copy, *m_doc); !saved) return {saved};
        source = copy;
    }
    DataFileReader reader;
    ExportResult result;
    if (Status opened = reader.open(source); !opened) {
        result.status = opened;
    } else {
        result = exportFrom(reader);
    }
    std::error_code ignored;
    if (!copy.empty()) std::filesystem::remove(copy, ignored);
    return result;
}

ExportResult Session::exportTrack(const std::filesystem::path& target, TrackFormat format,
                                  const std::optional<int>& utcOffset) const {
    return ExportTrack(target, *m_doc, track(), format, utcOffset);
}

}  // namespace varnelo
