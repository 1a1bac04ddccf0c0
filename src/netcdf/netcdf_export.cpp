#include "netcdf/netcdf_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <hdf5.h>
#include <netcdf.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

#include "analysis/quality_flags.h"
#include "data/spectra.h"
#include "export/clock_offset.h"
#include "export/export_text.h"
#include "export/file_batches.h"
#include "export/ordered_batches.h"
#include "io/path_text.h"
#include "io/temporary_name.h"
#include "netcdf/chunk_compressor.h"
#include "track/gps_track.h"

namespace varnelo {

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr float FLOAT_NaN = std::numeric_limits<float>::quiet_NaN();
// The spectra are noisy floats: level 4 makes a full file 0.6 % smaller
// than level 1 and takes 15 % longer, where deflate is already most of the
// time the export takes.
constexpr int DEFLATE_LEVEL = 1;

// The first failure of a run of library calls, which the rest then skip.
class Calls {
public:
    bool operator()(int code) {
        if (code != NC_NOERR && m_error.empty()) m_error = nc_strerror(code);
        return m_error.empty();
    }
    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }

private:
    std::string m_error;
};

struct Writer {
    int file = -1;
    Calls call;

    void text(int var, const char* name, const std::string& value) {
        if (call.ok()) call(nc_put_att_text(file, var, name, value.size(), value.data()));
    }
    void number(int var, const char* name, double value) {
        if (call.ok()) call(nc_put_att_double(file, var, name, NC_DOUBLE, 1, &value));
    }
    // A variable of doubles or floats with NaN for a value that does not exist.
    int variable(const char* name, nc_type type, std::initializer_list<int> dims, const char* units,
                 const char* standardName, const char* longName) {
        int var = -1;
        const std::vector<int> ids(dims);
        if (!call(nc_def_var(file, name, type, static_cast<int>(ids.size()), ids.data(), &var))) return -1;
        if (type == NC_DOUBLE) call(nc_def_var_fill(file, var, 0, &NaN));
        if (type == NC_FLOAT) call(nc_def_var_fill(file, var, 0, &FLOAT_NaN));
        if (units) text(var, "units", units);
        if (standardName) text(var, "standard_name", standardName);
        if (longName) text(var, "long_name", longName);
        return var;
    }
};

// "NDVI", "nd_750_705": a name every NetCDF tool takes.
std::string VariableName(const SpectralIndex& index) {
    std::string name = IndexName(index);
    std::replace(name.begin(), name.end(), ':', '_');
    return name;
}

std::string IsoOfSecondsZ(double seconds, bool utc) {
    const std::string text = IsoOfSeconds(static_cast<long long>(std::floor(seconds)));
    return utc && !text.empty() ? text + "Z" : text;
}

std::string NowUtc() {
    const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    return IsoOfSecondsZ(static_cast<double>(now.time_since_epoch().count()), true);
}

struct Bounds {
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();
    void add(double v) {
        if (!std::isfinite(v)) return;
        min = std::min(min, v);
        max = std::max(max, v);
    }
    bool any() const { return min <= max; }
};

struct Ids {
    int obs = -1, wavelength = -1;
    int trajectory = -1, record = -1, time = -1, lat = -1, lon = -1, altitude = -1, wl = -1;
    int ch1 = -1, ch2 = -1, reflectance = -1, qc = -1, zenith = -1, azimuth = -1;
    std::vector<int> indices;
};

// Chunks written between two nudges of the disk's write-back: about 4 MB.
constexpr std::size_t WRITE_BACK_CHUNKS = 16;

// Records a chunk of the spectra holds: a file shorter than one chunk has
// all its records in one.
std::size_t ChunkRecords(std::size_t count) { return std::max<std::size_t>(1, std::min(count, NETCDF_CHUNK_RECORDS)); }

// The spectra, whose chunks are written apart from the library (below).
constexpr const char* SPECTRA[] = {"ch1_scaled", "ch2", "reflectance"};

void Define(Writer& w, Ids& ids, std::size_t count, const NetcdfOptions& options) {
    Calls& call = w.call;
    call(nc_def_dim(w.file, "obs", count, &ids.obs));
    call(nc_def_dim(w.file, "wavelength", SPECTRUM_LENGTH, &ids.wavelength));
    if (call(nc_def_var(w.file, "trajectory", NC_STRING, 0, nullptr, &ids.trajectory))) {
        w.text(ids.trajectory, "cf_role", "trajectory_id");
        w.text(ids.trajectory, "long_name", "the data file the records come from");
    }
    if (call(nc_def_var(w.file, "record", NC_INT, 1, &ids.obs, &ids.record))) {
        w.text(ids.record, "long_name", "record number in the data file, from 0");
    }
    const bool utc = options.stages.utcOffset.has_value();
    ids.time = w.variable("time", NC_DOUBLE, {ids.obs}, utc ? "seconds since 1970-01-01T00:00:00Z"
                                                              : "seconds since 1970-01-01T00:00:00",
                          utc ? "time" : nullptr, "time of the measurement");
    if (utc) {
        w.text(ids.time, "calendar", "standard");
        w.text(ids.time, "axis", "T");
    } else {
        w.text(ids.time, "comment", "the logger's clock; its time zone is unknown (give --utc-offset)");
    }
    ids.lat = w.variable("lat", NC_DOUBLE, {ids.obs}, "degrees_north", "latitude", "latitude");
    w.text(ids.lat, "axis", "Y");
    ids.lon = w.variable("lon", NC_DOUBLE, {ids.obs}, "degrees_east", "longitude", "longitude");
    w.text(ids.lon, "axis", "X");
    ids.altitude = w.variable("altitude", NC_DOUBLE, {ids.obs}, "m", "altitude", "GPS altitude");
    w.text(ids.altitude, "positive", "up");
    if (call(nc_def_var(w.file, "wavelength", NC_INT, 1, &ids.wavelength, &ids.wl))) {
        w.text(ids.wl, "units", "nm");
        w.text(ids.wl, "standard_name", "radiation_wavelength");
        w.text(ids.wl, "long_name", "wavelength");
    }
    const std::string coordinates = "time lat lon altitude";
    const auto spectrum = [&](const char* name, const char* longName, const char* units) {
        const int var = w.variable(name, NC_FLOAT, {ids.obs, ids.wavelength}, units, nullptr, longName);
        const std::size_t chunk[] = {ChunkRecords(count), SPECTRUM_LENGTH};
        if (var >= 0) {
            call(nc_def_var_chunking(w.file, var, NC_CHUNKED, chunk));
            call(nc_def_var_deflate(w.file, var, 1, 1, DEFLATE_LEVEL));
            w.text(var, "coordinates", coordinates);
        }
        return var;
    };
    ids.ch1 = spectrum(SPECTRA[0], "ch.1 (target) brought to ch.2's exposure and corrected", "count");
    ids.ch2 = spectrum(SPECTRA[1], "ch.2 (reference)", "count");
    ids.reflectance = spectrum(SPECTRA[2], "reflectance factor", "1");
    if (call(nc_def_var(w.file, "qc", NC_UBYTE, 1, &ids.obs, &ids.qc))) {
        std::vector<unsigned char> masks;
        std::string meanings;
        for (const QualityName& n : QUALITY_NAMES) {
            masks.push_back(static_cast<unsigned char>(n.flag));
            if (!meanings.empty()) meanings += ' ';
            meanings += n.name;
        }
        call(nc_put_att_ubyte(w.file, ids.qc, "flag_masks", NC_UBYTE, masks.size(), masks.data()));
        w.text(ids.qc, "flag_meanings", meanings);
        w.text(ids.qc, "long_name", "quality flags");
        w.text(ids.qc, "coordinates", coordinates);
    }
    if (utc) {
        ids.zenith = w.variable("sun_zenith", NC_DOUBLE, {ids.obs}, "degree", "solar_zenith_angle", "sun's zenith angle, geometric");
        ids.azimuth = w.variable("sun_azimuth", NC_DOUBLE, {ids.obs}, "degree", "solar_azimuth_angle",
                                 "sun's azimuth, clockwise from north");
    }
    for (const SpectralIndex& index : options.indices) {
        const std::string unit(IndexUnit(index));
        const int var = w.variable(VariableName(index).c_str(), NC_DOUBLE, {ids.obs}, unit.empty() ? "1" : unit.c_str(),
                                   nullptr, IndexName(index).c_str());
        w.text(var, "coordinates", coordinates);
        ids.indices.push_back(var);
    }
}

// Records as the short variables hold them: a chunk's on the thread that
// makes it, the whole file's on the writing thread.
struct Batch {
    std::vector<int> record;
    std::vector<double> time, lat, lon, altitude, zenith, azimuth;
    std::vector<unsigned char> qc;
    std::vector<std::vector<double>> indices;

    void clear(std::size_t nIndices) {
        for (auto* v : {&time, &lat, &lon, &altitude, &zenith, &azimuth}) v->clear();
        record.clear();
        qc.clear();
        indices.assign(nIndices, {});
    }
    // Each column in the order a made chunk carries them.
    template <class F>
    void each(F&& f) {
        f(record);
        for (auto* v : {&time, &lat, &lon, &altitude, &zenith, &azimuth}) f(*v);
        for (std::vector<double>& v : indices) f(v);
        f(qc);
    }
    static std::size_t bytesPerRecord(std::size_t nIndices) {
        return sizeof(int) + (6 + nIndices) * sizeof(double) + sizeof(unsigned char);
    }
};

// What a thread needs to make chunks, set up once per thread rather than
// once per chunk: the compressor's tables and the spectra's buffers.
struct ChunkMaker {
    Batch batch;
    std::array<std::vector<float>, 3> spectra;
    DerivedSpectra derived;
    ResultRow row;
    std::vector<IndexValue> values;
    ChunkCompressor compressor{DEFLATE_LEVEL};
};

class ChunkMakers {
public:
    std::unique_ptr<ChunkMaker> borrow() {
        const std::lock_guard lock(m_mutex);
        if (m_free.empty()) return std::make_unique<ChunkMaker>();
        std::unique_ptr<ChunkMaker> maker = std::move(m_free.back());
        m_free.pop_back();
        return maker;
    }
    void give(std::unique_ptr<ChunkMaker> maker) {
        const std::lock_guard lock(m_mutex);
        m_free.push_back(std::move(maker));
    }

private:
    std::mutex m_mutex;
    std::vector<std::unique_ptr<ChunkMaker>> m_free;
};

// The spectra's datasets, opened beside the library's own handle on the
// file: HDF5 shares one open file between the two, so chunks written here
// and the library's own writes go to the same file. Closed before the
// library closes it.
class SpectraDatasets {
public:
    ~SpectraDatasets() { close(); }
    bool open(const std::filesystem::path& path) {
        m_file = H5Fopen(path.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
        for (std::size_t k = 0; k < m_sets.size() && m_file >= 0; ++k) m_sets[k] = H5Dopen2(m_file, SPECTRA[k], H5P_DEFAULT);
        return m_file >= 0 && std::all_of(m_sets.begin(), m_sets.end(), [](hid_t set) { return set >= 0; });
    }
    bool write(std::size_t k, std::size_t firstRecord, ChunkCompressor::Chunk chunk, const unsigned char* bytes) {
        const hsize_t offset[] = {firstRecord, 0};
        return H5Dwrite_chunk(m_sets[k], H5P_DEFAULT, chunk.filterMask, offset, chunk.size, bytes) >= 0;
    }
    void close() {
        for (hid_t& set : m_sets) {
            if (set >= 0) H5Dclose(set);
            set = H5I_INVALID_HID;
        }
        if (m_file >= 0) H5Fclose(m_file);
        m_file = H5I_INVALID_HID;
    }

private:
    hid_t m_file = H5I_INVALID_HID;
    std::array<hid_t, 3> m_sets{H5I_INVALID_HID, H5I_INVALID_HID, H5I_INVALID_HID};
};

// On the disk before it takes the name, with the permissions of the file it
// replaces: a crash right after the rename must not leave an empty file
// where the old one was, and a file shared with a group stays shared.
std::string SettleTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target) {
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && ::chmod(temporary.c_str(), old.st_mode & 07777) != 0)
        return std::strerror(errno);
    const int fd = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    const bool flushed = ::fsync(fd) == 0;
    const int why = errno;
    ::close(fd);
    return flushed ? std::string() : std::strerror(why);
}

}  // namespace

ExportResult ExportNetcdf(const std::filesystem::path& target, DataFileReader& source, const NetcdfOptions& options,
                          const ExportProgress& progress) {
    FileBatches batches(source);
    const std::size_t count = static_cast<std::size_t>(std::max(batches.count(), 0));
    RemoveStaleTemporaries(target);
    const std::filesystem::path temporary = TemporarySibling(target);
    Writer w;
    SpectraDatasets spectraSets;
    const auto failed = [&](const std::string& why, Status::Kind kind = Status::Kind::SaveFailed) {
        spectraSets.close();
        if (w.file >= 0) nc_close(w.file);
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return ExportResult::Failed(kind, kind == Status::Kind::Cancelled ? std::string() : PathText(target) + ": " + why);
    };
    if (!w.call(nc_create(temporary.string().c_str(), NC_NETCDF4 | NC_CLOBBER, &w.file))) return failed(w.call.error());
    Ids ids;
    Define(w, ids, count, options);
    w.text(NC_GLOBAL, "Conventions", "CF-1.8, ACDD-1.3");
    w.text(NC_GLOBAL, "featureType", "trajectory");
    w.text(NC_GLOBAL, "title", "Field spectra of " + options.trajectory);
    w.text(NC_GLOBAL, "summary",
           "Two-channel field spectra (ch.1 target, ch.2 reference, 340..850 nm) of a portable spectral logger, "
           "their reflectance, quality flags and spectral indices along its GPS track.");
    w.text(NC_GLOBAL, "history", NowUtc() + " " + options.history);
    w.text(NC_GLOBAL, "date_created", NowUtc());
    if (!w.call(nc_enddef(w.file))) return failed(w.call.error());
    const char* name = options.trajectory.c_str();
    w.call(nc_put_var_string(w.file, ids.trajectory, &name));
    std::vector<int> wavelengths(SPECTRUM_LENGTH);
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) wavelengths[static_cast<std::size_t>(j)] = WavelengthOfElement(j);
    w.call(nc_put_var_int(w.file, ids.wl, wavelengths.data()));
    // Deflating the spectra on the library's one thread was four fifths of
    // the export: their chunks are made and compressed on every core, and
    // this thread writes them as they come, in order.
    if (!w.call(spectraSets.open(temporary) ? NC_NOERR : NC_EHDFERR)) return failed(w.call.error());

    const RowMaker maker(options.stages, ElementMask().set(), true);
    const std::vector<RecordRange> rows = PlanRows(Grouping{}, static_cast<int>(count), {});
    const std::size_t chunkRecords = ChunkRecords(count);
    const std::size_t nIndices = options.indices.size();
    const std::size_t chunkValues = chunkRecords * SPECTRUM_LENGTH;
    const std::optional<int>& offset = options.stages.utcOffset;
    ChunkMakers makers;
    using Chunks = std::array<ChunkCompressor::Chunk, 3>;
    // A made chunk: its spectra's sizes, the short variables, the spectra.
    const FormatBatch make = [&](std::size_t begin, std::size_t end, char* out) {
        std::unique_ptr<ChunkMaker> m = makers.borrow();
        Batch& b = m->batch;
        b.clear(nIndices);
        m->values.resize(nIndices);
        // A chunk is whole on the disk: the last one's records past the
        // end read as the fill value.
        for (std::vector<float>& s : m->spectra) s.assign(chunkValues, FLOAT_NaN);
        std::size_t at = 0;
        ReadRows(batches, rows, begin, end, [&](const RecordRange& range, auto members, auto previous) {
            const MeasurementRecord& record = members.front();
            ResultRow& row = m->row;
            maker.make(members, previous, range.first, row);
            b.record.push_back(range.first);
            const std::optional<double> seconds = offset ? UtcSeconds(record, *offset) : RecordSeconds(record);
            b.time.push_back(seconds.value_or(NaN));
            b.lat.push_back(row.position ? row.position->latitude : NaN);
            b.lon.push_back(row.position ? row.position->longitude : NaN);
            b.altitude.push_back(row.position ? row.altitude : NaN);
            b.zenith.push_back(row.sun ? row.sun->zenith : NaN);
            b.azimuth.push_back(row.sun ? row.sun->azimuth : NaN);
            DeriveSpectra(record, m->derived, SpectraNeeded::ChannelsOnly);
            std::copy(m->derived.ch1_scaled.begin(), m->derived.ch1_scaled.end(), m->spectra[0].begin() + at);
            std::copy(m->derived.ch2.begin(), m->derived.ch2.end(), m->spectra[1].begin() + at);
            std::transform(row.reflectance.begin(), row.reflectance.end(), m->spectra[2].begin() + at,
                           [](double r) { return static_cast<float>(r); });
            at += SPECTRUM_LENGTH;
            for (std::size_t i = 0; i < nIndices; ++i) {
                m->values[i] = ComputeIndex(options.indices[i], row.reflectance);
                b.indices[i].push_back(m->values[i].value_or(NaN));
            }
            b.qc.push_back(static_cast<unsigned char>(row.flags | RangeFlag(options.indices, m->values)));
        });
        Chunks chunks;
        char* put = out + sizeof chunks;
        b.each([&](const auto& column) {
            if (column.empty()) return;  // records that could not be read stop the writing thread
            std::memcpy(put, column.data(), column.size() * sizeof column[0]);
            put += column.size() * sizeof column[0];
        });
        for (std::size_t k = 0; k < chunks.size(); ++k) {
            chunks[k] = m->compressor.compress(m->spectra[k], reinterpret_cast<unsigned char*>(put));
            put += chunks[k].size;
        }
        std::memcpy(out, &chunks, sizeof chunks);
        makers.give(std::move(m));
        return put;
    };
    // The short variables are kept for the whole file (about 90 bytes a
    // record) and go to the library in one call each: a call a chunk for
    // each of them cost the writing thread more than the spectra's chunks.
    Batch all;
    all.clear(nIndices);
    all.each([&](auto& column) { column.reserve(count); });
    std::string unreadable;
    std::size_t written = 0;
    bool cancelled = false;
    // The disk starts on the file while the rest is made, so that little is
    // left for the flush before the rename.
    const int writeBack = ::open(temporary.c_str(), O_RDONLY | O_CLOEXEC);
    const TakeBatch take = [&](std::string_view made, std::size_t done) {
        const std::size_t begin = written;
        written = done;
        unreadable = batches.unreadable(static_cast<int>(done));
        if (!unreadable.empty()) return false;
        Chunks chunks;
        std::memcpy(&chunks, made.data(), sizeof chunks);
        const char* get = made.data() + sizeof chunks;
        all.each([&](auto& column) {
            column.resize(done);
            std::memcpy(column.data() + begin, get, (done - begin) * sizeof column[0]);
            get += (done - begin) * sizeof column[0];
        });
        for (std::size_t k = 0; k < chunks.size() && w.call.ok(); ++k) {
            const bool put = spectraSets.write(k, begin, chunks[k], reinterpret_cast<const unsigned char*>(get));
            w.call(put ? NC_NOERR : NC_EHDFERR);
            get += chunks[k].size;
        }
        if (writeBack >= 0 && (done / chunkRecords) % WRITE_BACK_CHUNKS == 0)
            ::sync_file_range(writeBack, 0, 0, SYNC_FILE_RANGE_WRITE);
        cancelled = progress && !progress(static_cast<int>(done), static_cast<int>(count));
        return w.call.ok() && !cancelled;
    };
    const BatchShape shape{count, chunkRecords,
                           sizeof(Chunks) + chunkRecords * Batch::bytesPerRecord(nIndices) + 3 * chunkValues * sizeof(float)};
    const bool made = FormatInOrder(shape, make, take);
    if (writeBack >= 0) ::close(writeBack);
    if (cancelled) return failed({}, Status::Kind::Cancelled);
    if (!made) return failed(unreadable.empty() ? w.call.error() : unreadable);
    spectraSets.close();
    if (count > 0) {
        const std::size_t start[] = {0}, size[] = {count};
        w.call(nc_put_vara_int(w.file, ids.record, start, size, all.record.data()));
        const std::pair<int, const std::vector<double>*> columns[] = {
            {ids.time, &all.time}, {ids.lat, &all.lat}, {ids.lon, &all.lon}, {ids.altitude, &all.altitude},
            {ids.zenith, &all.zenith}, {ids.azimuth, &all.azimuth}};
        for (const auto& [var, data] : columns) {
            if (var >= 0) w.call(nc_put_vara_double(w.file, var, start, size, data->data()));
        }
        for (std::size_t i = 0; i < ids.indices.size(); ++i)
            w.call(nc_put_vara_double(w.file, ids.indices[i], start, size, all.indices[i].data()));
        w.call(nc_put_vara_uchar(w.file, ids.qc, start, size, all.qc.data()));
    }
    Bounds time, lat, lon;
    for (std::size_t i = 0; i < count; ++i) {
        time.add(all.time[i]);
        lat.add(all.lat[i]);
        lon.add(all.lon[i]);
    }
    // The coverage is known only once every record is read.
    w.call(nc_redef(w.file));
    if (time.any()) {
        w.text(NC_GLOBAL, "time_coverage_start", IsoOfSecondsZ(time.min, offset.has_value()));
        w.text(NC_GLOBAL, "time_coverage_end", IsoOfSecondsZ(time.max, offset.has_value()));
    }
    if (lat.any()) {
        w.number(NC_GLOBAL, "geospatial_lat_min", lat.min);
        w.number(NC_GLOBAL, "geospatial_lat_max", lat.max);
        w.number(NC_GLOBAL, "geospatial_lon_min", lon.min);
        w.number(NC_GLOBAL, "geospatial_lon_max", lon.max);
        w.text(NC_GLOBAL, "geospatial_lat_units", "degrees_north");
        w.text(NC_GLOBAL, "geospatial_lon_units", "degrees_east");
    }
    w.call(nc_enddef(w.file));
    if (!w.call.ok()) return failed(w.call.error());
    const int closed = nc_close(w.file);
    w.file = -1;
    if (closed != NC_NOERR) return failed(nc_strerror(closed));
    if (const std::string why = SettleTemporary(temporary, target); !why.empty()) return failed(why);
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) return failed(error.message());
    return {Status{}, static_cast<int>(count)};
}

}  // namespace varnelo
