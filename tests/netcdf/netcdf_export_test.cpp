// The NetCDF file read back through the library's own reader, as every
// NetCDF tool reads it.
#include "netcdf/netcdf_export.h"

#include <gtest/gtest.h>
#include <netcdf.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "data/data_file.h"
#include "data/spectra.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

MeasurementRecord Lit(const std::string& gps, int second) {
    MeasurementRecord r{};
    r.set_exp(100, 100);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        r.set_spectrum_ch1(j, j < 350 ? 1000.0f : 6000.0f);  // NDVI 5/7 at 800/670 nm
        r.set_spectrum_ch2(j, 10000.0f);
        r.set_channel_diff(j, 1.0f);
    }
    r.set_time(43, 7, 14, 12, 0, second);
    r.set_gps_text(gps);
    return r;
}

// Read through nc_open; a missing attribute reads "(none)".
struct NetcdfFile {
    explicit NetcdfFile(const std::filesystem::path& path) { EXPECT_EQ(nc_open(path.c_str(), NC_NOWRITE, &id), NC_NOERR); }
    ~NetcdfFile() { nc_close(id); }
    std::size_t dimension(const char* name) const {
        int dim = -1;
        std::size_t size = 0;
        return nc_inq_dimid(id, name, &dim) == NC_NOERR && nc_inq_dimlen(id, dim, &size) == NC_NOERR ? size : 0;
    }
    int variable(const char* name) const {
        int var = -1;
        return nc_inq_varid(id, name, &var) == NC_NOERR ? var : -1;
    }
    std::string text(const char* var, const char* name) const {
        const int v = var ? variable(var) : NC_GLOBAL;
        std::size_t size = 0;
        if (nc_inq_attlen(id, v, name, &size) != NC_NOERR) return "(none)";
        std::string value(size, '\0');
        nc_get_att_text(id, v, name, value.data());
        return value;
    }
    double at(const char* var, std::size_t obs, std::size_t j = 0) const {
        const std::size_t index[] = {obs, j};
        double value = -1;
        EXPECT_EQ(nc_get_var1_double(id, variable(var), index, &value), NC_NOERR) << var;
        return value;
    }
    int id = -1;
};

TEST(NetcdfExport, ReadsBackAsACfTrajectory) {
    test::TempDir dir;
    auto doc = std::make_unique<CVarneloDoc>();
    doc->record(0) = Lit("X,030000,V,3539.1234,N,13945.6789,E,0,0,9,12.3,4", 0);
    doc->record(1) = Lit("X,030001,A,3539.1234,S,13945.6789,W,0,0,9,12.3,4", 1);
    doc->record(2) = Lit("X,030002,A,3539.1234,N,13945.6789,E,0,0,9,12.5,4", 2);
    doc->record(2).set_spectrum_ch2(100, 0.0f);
    doc->setRecordCount(3);
    ASSERT_TRUE(SaveDataFile(dir / "day.vrnldata", *doc));
    DataFileReader source;
    ASSERT_TRUE(source.open(dir / "day.vrnldata"));
    NetcdfOptions options{{NDVI}, {}, "day.vrnldata", "varnelo-cli test"};
    options.stages.utcOffset = 540;
    ASSERT_TRUE(ExportNetcdf(dir / "day.nc", source, options).status);
    options.stages.utcOffset.reset();
    test::WriteFileBytes(dir / "clock.nc", {1});  // replaced, keeping its permissions
    std::filesystem::permissions(dir / "clock.nc", std::filesystem::perms(0640));
    ASSERT_TRUE(ExportNetcdf(dir / "clock.nc", source, options).status);
    EXPECT_EQ(std::filesystem::status(dir / "clock.nc").permissions(), std::filesystem::perms(0640));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3) << "no temporary left";

    const NetcdfFile nc(dir / "day.nc");
    EXPECT_EQ(nc.dimension("obs"), 3u);
    EXPECT_EQ(nc.dimension("wavelength"), 511u);
    EXPECT_EQ(nc.text(nullptr, "Conventions"), "CF-1.8, ACDD-1.3");
    EXPECT_EQ(nc.text(nullptr, "featureType"), "trajectory");
    EXPECT_EQ(nc.text(nullptr, "time_coverage_start"), "2023-07-14T03:00:00Z");
    EXPECT_EQ(nc.text(nullptr, "time_coverage_end"), "2023-07-14T03:00:02Z");
    EXPECT_NE(nc.text(nullptr, "history").find("varnelo-cli test"), std::string::npos);
    EXPECT_EQ(nc.text("trajectory", "cf_role"), "trajectory_id");
    EXPECT_EQ(nc.text("time", "units"), "seconds since 1970-01-01T00:00:00Z");
    EXPECT_EQ(nc.text("qc", "flag_meanings"), "nofix undefined range sky lowsun saturated panel");
    EXPECT_EQ(nc.at("time", 1), 1689303601.0);
    EXPECT_TRUE(std::isnan(nc.at("lat", 0)));
    EXPECT_NEAR(nc.at("lat", 1), -35.6520567, 1e-7);
    EXPECT_NEAR(nc.at("lon", 1), -139.7613150, 1e-7);
    EXPECT_NEAR(nc.at("altitude", 2), 12.5, 1e-6);
    EXPECT_EQ(nc.at("ch2", 1, 3), 10000.0);
    EXPECT_EQ(nc.at("reflectance", 1, 400), 0.6f);
    EXPECT_TRUE(std::isnan(nc.at("reflectance", 2, 100)));
    EXPECT_NEAR(nc.at("NDVI", 1), 0.5 / 0.7, 1e-6);
    EXPECT_EQ(nc.at("qc", 0), QC_NOFIX);
    EXPECT_EQ(nc.at("qc", 2), QC_UNDEFINED);
    EXPECT_TRUE(std::isnan(nc.at("sun_zenith", 0)));
    EXPECT_GT(nc.at("sun_zenith", 1), 0.0);
    int shuffle = 0, deflate = 0, level = 0;
    ASSERT_EQ(nc_inq_var_deflate(nc.id, nc.variable("reflectance"), &shuffle, &deflate, &level), NC_NOERR);
    EXPECT_TRUE(shuffle && deflate);

    const NetcdfFile clock(dir / "clock.nc");
    EXPECT_EQ(clock.text("time", "units"), "seconds since 1970-01-01T00:00:00");
    EXPECT_NE(clock.text("time", "comment").find("time zone is unknown"), std::string::npos);
    EXPECT_EQ(clock.at("time", 1), 1689336001.0);
    EXPECT_EQ(clock.variable("sun_zenith"), -1);

    // The format's own dump, where the machine has it.
    {
        // A stop asked for through the progress leaves nothing behind.
        DataFileReader source;
        ASSERT_TRUE(source.open(dir / "day.vrnldata"));
        const auto stop = [](int, int) { return false; };
        EXPECT_TRUE(ExportNetcdf(dir / "stop.nc", source, {{}, {}, "day", "test"}, stop).status.cancelled());
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().find("stop"), std::string::npos) << entry.path();
    }
    if (std::system("ncdump -h /dev/null >/dev/null 2>&1") != 127 * 256) {
        const std::string command = "ncdump -h '" + (dir / "day.nc").string() + "'";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        std::string out(1 << 16, '\0');
        out.resize(std::fread(out.data(), 1, out.size(), pipe));
        EXPECT_EQ(::pclose(pipe), 0);
        EXPECT_NE(out.find(":featureType = \"trajectory\""), std::string::npos) << out;
        EXPECT_NE(out.find("float reflectance(obs, wavelength)"), std::string::npos) << out;
    }
}

// The spectra's chunks are written apart from the library: every value must
// still read back through it, however the records fill the last chunk, and
// the filters must be recorded for readers without a plugin.
TEST(NetcdfExport, SpectraReadBackInEveryChunk) {
    test::TempDir dir;
    for (const int records : {5, 64, 133}) {  // short of a chunk, one whole chunk, a short chunk last
        SCOPED_TRACE(records);
        auto doc = std::make_unique<CVarneloDoc>();
        for (int r = 0; r < records; ++r) {
            doc->record(r) = Lit("X,030000,A,3539.1234,N,13945.6789,E,0,0,9,12.3,4", r % 60);
            // Byte lanes of noise, of one byte (whole counts; the same for a whole chunk but the middle one) and
            // in between.
            for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
                doc->record(r).set_spectrum_ch1(j, 500.0f + 100.0f * std::sin(static_cast<float>(r * 511 + j)));
                doc->record(r).set_spectrum_ch2(j, static_cast<float>(30000 + (r / 64 == 1) * ((r * 7 + j) % 300)));
            }
        }
        doc->setRecordCount(records);
        ASSERT_TRUE(SaveDataFile(dir / "day.vrnldata", *doc));
        DataFileReader source;
        ASSERT_TRUE(source.open(dir / "day.vrnldata"));
        ASSERT_TRUE(ExportNetcdf(dir / "day.nc", source, {{}, {}, "day", "test"}).status);
        const NetcdfFile nc(dir / "day.nc");
        const std::size_t start[] = {0, 0}, size[] = {static_cast<std::size_t>(records), SPECTRUM_LENGTH};
        for (const auto& [name, of] : {std::pair{"ch1_scaled", &DerivedSpectra::ch1_scaled},
                                       {"ch2", &DerivedSpectra::ch2}, {"reflectance", &DerivedSpectra::reflectance}}) {
            std::vector<float> values(size[0] * size[1]), expected;
            ASSERT_EQ(nc_get_vara_float(nc.id, nc.variable(name), start, size, values.data()), NC_NOERR) << name;
            for (int r = 0; r < records; ++r) {
                const Spectrum spectrum = DeriveSpectra(doc->record(r)).*of;
                expected.insert(expected.end(), spectrum.begin(), spectrum.end());
            }
            EXPECT_EQ(values, expected) << name;
        }
    }
    if (std::system("ncdump -h /dev/null >/dev/null 2>&1") != 127 * 256) {
        const std::string command = "ncdump -hs '" + (dir / "day.nc").string() + "'";
        std::FILE* pipe = ::popen(command.c_str(), "r");
        std::string out(1 << 16, '\0');
        out.resize(std::fread(out.data(), 1, out.size(), pipe));
        EXPECT_EQ(::pclose(pipe), 0);
        for (const std::string name : {"ch1_scaled", "ch2", "reflectance"}) {
            EXPECT_NE(out.find(name + ":_Shuffle = \"true\""), std::string::npos) << out;
            EXPECT_NE(out.find(name + ":_DeflateLevel = 1"), std::string::npos) << out;
        }
    }
}

}  // namespace
}  // namespace varnelo
