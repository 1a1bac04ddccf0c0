#include "netcdf/netcdf_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <netcdf.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>

#include "analysis/quality_flags.h"
#include "data/spectra.h"
#include "export/clock_offset.h"
#include "export/export_text.h"
#include "export/file_batches.h"
#include "io/path_text.h"
#include "io/temporary_name.h"
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
        const std::size_t chunk[] = {std::max<std::size_t>(1, std::min(count, NETCDF_CHUNK_RECORDS)), SPECTRUM_LENGTH};
        if (var >= 0) {
            call(nc_def_var_chunking(w.file, var, NC_CHUNKED, chunk));
            call(nc_def_var_deflate(w.file, var, 1, 1, DEFLATE_LEVEL));
            w.text(var, "coordinates", coordinates);
        }
        return var;
    };
    ids.ch1 = spectrum("ch1_scaled", "ch.1 (target) brought to ch.2's exposure and corrected", "count");
    ids.ch2 = spectrum("ch2", "ch.2 (reference)", "count");
    ids.reflectance = spectrum("reflectance", "reflectance factor", "1");
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

// One batch of records as the variables hold them.
struct Batch {
    std::vector<int> record;
    std::vector<double> time, lat, lon, altitude, zenith, azimuth;
    std::vector<float> ch1, ch2, reflectance;
    std::vector<unsigned char> qc;
    std::vector<std::vector<double>> indices;

    void clear(std::size_t nIndices) {
        for (auto* v : {&time, &lat, &lon, &altitude, &zenith, &azimuth}) v->clear();
        for (auto* v : {&ch1, &ch2, &reflectance}) v->clear();
        record.clear();
        qc.clear();
        indices.assign(nIndices, {});
    }
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
    const auto failed = [&](const std::string& why, Status::Kind kind = Status::Kind::SaveFailed) {
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

    const RowMaker maker(options.stages, ElementMask().set(), true);
    const std::vector<RecordRange> rows = PlanRows(Grouping{}, static_cast<int>(count), {});
    Bounds time, lat, lon;
    Batch b;
    DerivedSpectra spectra;
    ResultRow row;
    std::vector<IndexValue> values(options.indices.size());
    const std::optional<int>& offset = options.stages.utcOffset;
    for (std::size_t begin = 0; begin < count && w.call.ok(); begin += NETCDF_CHUNK_RECORDS) {
        const std::size_t end = std::min(count, begin + NETCDF_CHUNK_RECORDS);
        b.clear(options.indices.size());
        const bool read = ReadRows(batches, rows, begin, end, [&](const RecordRange& range, auto members, auto previous) {
            const MeasurementRecord& record = members.front();
            maker.make(members, previous, range.first, row);
            b.record.push_back(range.first);
            const std::optional<double> seconds = offset ? UtcSeconds(record, *offset) : RecordSeconds(record);
            b.time.push_back(seconds.value_or(NaN));
            time.add(b.time.back());
            b.lat.push_back(row.position ? row.position->latitude : NaN);
            b.lon.push_back(row.position ? row.position->longitude : NaN);
            lat.add(b.lat.back());
            lon.add(b.lon.back());
            b.altitude.push_back(row.position ? row.altitude : NaN);
            b.zenith.push_back(row.sun ? row.sun->zenith : NaN);
            b.azimuth.push_back(row.sun ? row.sun->azimuth : NaN);
            DeriveSpectra(record, spectra);
            b.ch1.insert(b.ch1.end(), spectra.ch1_scaled.begin(), spectra.ch1_scaled.end());
            b.ch2.insert(b.ch2.end(), spectra.ch2.begin(), spectra.ch2.end());
            for (const double r : row.reflectance) b.reflectance.push_back(static_cast<float>(r));
            for (std::size_t i = 0; i < options.indices.size(); ++i) {
                values[i] = ComputeIndex(options.indices[i], row.reflectance);
                b.indices[i].push_back(values[i].value_or(NaN));
            }
            b.qc.push_back(static_cast<unsigned char>(row.flags | RangeFlag(options.indices, values)));
        });
        if (!read) return failed(batches.unreadable(static_cast<int>(end)));
        const std::size_t start[] = {begin, 0}, size[] = {end - begin, SPECTRUM_LENGTH};
        w.call(nc_put_vara_int(w.file, ids.record, start, size, b.record.data()));
        const std::pair<int, const std::vector<double>*> columns[] = {
            {ids.time, &b.time}, {ids.lat, &b.lat}, {ids.lon, &b.lon}, {ids.altitude, &b.altitude},
            {ids.zenith, &b.zenith}, {ids.azimuth, &b.azimuth}};
        for (const auto& [var, data] : columns) {
            if (var >= 0) w.call(nc_put_vara_double(w.file, var, start, size, data->data()));
        }
        for (std::size_t i = 0; i < ids.indices.size(); ++i)
            w.call(nc_put_vara_double(w.file, ids.indices[i], start, size, b.indices[i].data()));
        w.call(nc_put_vara_uchar(w.file, ids.qc, start, size, b.qc.data()));
        w.call(nc_put_vara_float(w.file, ids.ch1, start, size, b.ch1.data()));
        w.call(nc_put_vara_float(w.file, ids.ch2, start, size, b.ch2.data()));
        w.call(nc_put_vara_float(w.file, ids.reflectance, start, size, b.reflectance.data()));
        if (progress && !progress(static_cast<int>(end), static_cast<int>(count))) return failed({}, Status::Kind::Cancelled);
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
