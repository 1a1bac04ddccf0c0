#pragma once
// The open document as the user works with it: the records, their GPS track,
// the file they came from and whether anything would be lost by closing.
// The desktop program, the command line and the tests share it, so opening,
// saving and exporting are written once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "data/data_file.h"
#include "data/document.h"
#include "export/csv_export.h"
#include "export/spectral_library.h"
#include "export/track_export.h"
#include "track/gps_track.h"

namespace varnelo {

class Session {
public:
    Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    CVarneloDoc& doc() { return *m_doc; }
    const CVarneloDoc& doc() const { return *m_doc; }
    // The track always describes the document's records as they are: it is
    // computed when first asked for after they changed (listing or checking
    // a file never needs it).
    const GpsTrack& track() const {
        settleTrack();
        return *m_track;
    }
    // The records the track was last computed over.
    int trackCount() const {
        settleTrack();
        return m_trackCount;
    }
    // False while records changed that the track has not been computed over yet.
    bool trackCurrent() const { return !m_trackOwed; }
    // Grows each time the track is computed anew, that is after the records
    // changed: whoever keeps values per record computes theirs again.
    std::uint64_t trackVersion() const {
        settleTrack();
        return m_trackVersion;
    }

    // Rebuilds the track from the document's records now.
    void computeTrack();

    // True when the document's file is no longer as it was opened or last
    // saved (its size or time changed, or it went): another program wrote it.
    bool changedOnDisk() const;

    // The file the document was last opened from or saved to; empty for a new one.
    const std::filesystem::path& path() const { return m_path; }
    // The file's name, or empty for a new document that has none yet.
    std::string title() const;

    // True once the document holds something no file has: a download's records.
    bool changed() const { return m_changed; }
    void markChanged() {
        m_changed = true;
        m_trackOwed = true;
    }
    // The records changed in place (a download stopped, records appended):
    // whatever reads the track next gets it computed over them.
    void recordsChanged() { m_trackOwed = true; }

    // A new document: no file, nothing to save, the data kept as it was.
    void renew();
    // A full download is about to replace the records: the document becomes
    // a new, untitled one, so that no Save can put the logger's records over
    // the file that was open before without asking for a name.
    void beginDownload();

    // Loads a data file; its track follows when asked for. On success the
    // file becomes the document's and nothing is left to save; a refused
    // file changes nothing at all.
    Status open(const std::filesystem::path& path, Streams streams = Streams::Read);

    // Saves the document; on success path becomes the document's file.
    Status save(const std::filesystem::path& path);

    ExportResult exportCsv(const std::filesystem::path& target, const CsvOptions& options,
                           const ExportProgress& progress = {}) const;
    ExportResult exportTrack(const std::filesystem::path& target, TrackFormat format,
                             const std::optional<int>& utcOffset = std::nullopt) const;
    // The records as an ENVI spectral library, read through withRecordFile.
    ExportResult exportLibrary(const LibraryFiles& files, const LibraryOptions& options,
                               const ExportProgress& progress = {}) const;
    // Runs an export that reads a data file on the document's records: the
    // document's own file when it holds just them; otherwise a copy of the
    // records written beside the system's temporary files and removed after.
    ExportResult withRecordFile(const std::function<ExportResult(DataFileReader&)>& exportFrom) const;

private:
    void settleTrack() const;

    std::unique_ptr<CVarneloDoc> m_doc;
    std::unique_ptr<GpsTrack> m_track;
    mutable int m_trackCount = 0;
    mutable bool m_trackOwed = false;  // the records changed since the track was computed
    mutable std::uint64_t m_trackVersion = 0;
    // The file as it was when opened or saved last.
    struct FileStamp {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time{};
        bool operator==(const FileStamp&) const = default;
    };
    static std::optional<FileStamp> StampOf(const std::filesystem::path& path);

    std::filesystem::path m_path;
    std::optional<FileStamp> m_stamp;
    bool m_changed = false;
};

}  // namespace varnelo
