#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>

#include "export/index_export.h"
#include "export/provenance.h"
#include "export/spectral_library.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

// Reflectance 0.25 below 700 nm and 0.5 from there (NDVI 1/3), ch.2 `sky`.
MeasurementRecord Flat(float sky, int second, const char* gps = "X,1,A,3539.1234,N,13945.6789,E,0,0,9,10.0,0") {
    MeasurementRecord r{};
    r.set_exp(100, 100);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        r.set_spectrum_ch1(j, (j < 360 ? 0.25f : 0.5f) * sky);
        r.set_spectrum_ch2(j, sky);
        r.set_channel_diff(j, 1.0f);
    }
    r.set_time(41, 10, 7, 9, 5, second);
    r.set_gps_text(gps);
    return r;
}

MeasurementRecord With(MeasurementRecord r, int nm, float ch1, float ch2) {
    r.set_spectrum_ch1(static_cast<std::size_t>(nm - 340), ch1);
    r.set_spectrum_ch2(static_cast<std::size_t>(nm - 340), ch2);
    return r;
}

class ResultFiles : public ::testing::Test {
protected:
    std::vector<std::string> Lines(const std::filesystem::path& path) {
        const auto bytes = test::ReadFileBytes(path);
        std::istringstream in(std::string(bytes.begin(), bytes.end()));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
        return lines;
    }
    test::TempDir dir;
    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
};

TEST_F(ResultFiles, FlagsPerRecord) {
    const MeasurementRecord ok = Flat(1000, 0);
    const struct {
        const char* what;
        MeasurementRecord record;
        std::optional<SmoothingOptions> smoothing;
        const char* ndviAndQc;  // the row's last two fields
    } cases[] = {
        {"first record: no sky", ok, {}, "0.3333333333333333,"},
        {"ch.2 0 at 800 nm", With(ok, 800, 500, 0), {}, ",undefined"},
        {"ch.2 -inf at 680 nm (and in the sky sum)", With(ok, 680, 250, -INFINITY), {}, ",undefined;sky"},
        {"ch.1 NaN at 680 nm", With(ok, 680, NAN, 1000), {}, ",undefined"},
        {"803 nm outside NDVI's elements", With(ok, 803, 500, 0), {}, "0.3333333333333333,"},
        {"803 nm inside a smoothing window of 7", With(ok, 803, 500, 0), SmoothingOptions{7, 2, false}, ",undefined"},
        {"negative reflectance at 680 nm", With(ok, 680, -200, 1000), {}, "2.3333333664470253,range"},
        {"light up 10 %: no sky", Flat(1100, 0), {}, "0.3333333333333333,"},
        {"light up 10.1 %", Flat(1101, 0), {}, "0.3333333333333333,sky"},
        {"no fix", Flat(1000, 0, "X,1,V,3539.1234,N,13945.6789,E,0,0,9,10.0,0"), {}, "0.3333333333333333,nofix"},
    };
    for (const auto& c : cases) {
        doc->record(0) = ok;
        doc->record(1) = c.record;
        doc->setRecordCount(std::string(c.what).starts_with("first") ? 1 : 2);
        IndexTableOptions options{{NDVI}, {}};
        options.stages.smoothing = c.smoothing;
        ASSERT_TRUE(ExportIndexTable(dir / "t.csv", *doc, options).status);
        const std::string row = Lines(dir / "t.csv").back();
        EXPECT_EQ(row.substr(row.rfind(',', row.rfind(',') - 1) + 1), c.ndviAndQc) << c.what;
    }
}

TEST_F(ResultFiles, GroupsAverageTheirMembers) {
    doc->record(0) = Flat(1000, 0);
    doc->record(1) = With(Flat(1000, 10, "X,1,A,3539.1234,N,13945.6789,E,0,0,9,20.0,0"), 800, 1, 1);
    doc->record(2) = Flat(1000, 50, "");
    doc->record(3) = Flat(1000, 51);
    doc->setRecordCount(4);
    IndexTableOptions options{{NDVI}, {}};
    std::string error;
    options.stages.grouping = *ParseGrouping("gap:30", error);
    ASSERT_TRUE(ExportIndexTable(dir / "g.csv", *doc, options).status);
    // R800 of the first group: (0.5 + 1) / 2; the second keeps the one fix.
    EXPECT_EQ(Lines(dir / "g.csv"),
              (std::vector<std::string>{
                  "first,last,n,time,latitude (deg),longitude (deg),altitude (m),speed (m/s),temp(CH1) (degC),"
                  "temp(CH2) (degC),batv (V),NDVI,qc",
                  "0,1,2,2021-10-07T09:05:00,35.6520567,139.7613150,15,0,0,0,0,0.5,",
                  "2,3,2,2021-10-07T09:05:50,35.6520567,139.7613150,10,0,0,0,0,0.3333333333333333,nofix"}));
}

// Read back as a reader of ENVI files would: the header's keys, then
// samples × lines float32 little-endian values.
TEST_F(ResultFiles, LibraryReadsBack) {
    doc->record(0) = Flat(1000, 0);
    doc->record(1) = With(Flat(1000, 0), 500, 1, 0);
    doc->setRecordCount(2);
    ASSERT_TRUE(SaveDataFile(dir / "a.vrnldata", *doc));
    ASSERT_TRUE(SaveDataFile(dir / "b.vrnldata", *doc));
    DataFileReader a, b;
    ASSERT_TRUE(a.open(dir / "a.vrnldata"));
    ASSERT_TRUE(b.open(dir / "b.vrnldata"));
    DataFileReader* const sources[] = {&a, &b};
    const LibraryFiles files = LibraryFileNames(dir / "lib.sli");
    ASSERT_TRUE(ExportSpectralLibrary(files, sources, LibraryOptions{{NDVI}, {}, "test"}).status);

    std::map<std::string, std::string> header;
    const std::vector<std::string> lines = Lines(files.hdr);
    ASSERT_EQ(lines.front(), "ENVI");
    for (const std::string& line : lines) {
        const std::size_t eq = line.find(" = ");
        if (eq != std::string::npos) header[line.substr(0, eq)] = line.substr(eq + 3);
    }
    EXPECT_EQ(header["samples"], "511");
    EXPECT_EQ(header["lines"], "4");
    EXPECT_EQ(header["file type"], "ENVI Spectral Library");
    EXPECT_EQ(header["data type"], "4");
    EXPECT_EQ(header["byte order"], "0");
    EXPECT_EQ(header["description"], "{test}");
    EXPECT_EQ(header["spectra names"],
              "{2021-10-07T09:05:00, 2021-10-07T09:05:00_2, 2021-10-07T09:05:00_3, 2021-10-07T09:05:00_4}");
    EXPECT_TRUE(header["wavelength"].starts_with("{340, 341, ") && header["wavelength"].ends_with(", 850}"));
    const auto data = test::ReadFileBytes(files.sli);
    ASSERT_EQ(data.size(), 4u * 511 * 4);
    const auto value = [&](std::size_t spectrum, int nm) {
        std::uint32_t bits = 0;
        for (int k = 3; k >= 0; --k) bits = bits << 8 | data[(spectrum * 511 + static_cast<std::size_t>(nm - 340)) * 4 + static_cast<std::size_t>(k)];
        return std::bit_cast<float>(bits);
    };
    EXPECT_EQ(value(0, 340), 0.25f);
    EXPECT_EQ(value(3, 850), 0.5f);
    EXPECT_TRUE(std::isnan(value(1, 500)));
    EXPECT_EQ(Lines(files.csv)[2], "2021-10-07T09:05:00_2,1,2021-10-07T09:05:00,35.6520567,139.7613150,10,0.3333333333333333,"
                                   "undefined,POINT (139.7613150 35.6520567)");

    // Refused over an input; a failure leaves all three as they were.
    std::filesystem::copy_file(dir / "a.vrnldata", dir / "x.csv");
    const std::filesystem::path inputs[] = {dir / "x.csv"};
    EXPECT_NE(LibraryRefusal(LibraryFileNames(dir / "x.sli"), inputs), "");
    std::filesystem::create_directory(dir / "lib.csv.blocked");
    const LibraryFiles blocked{files.sli, files.hdr, dir / "lib.csv.blocked"};
    const auto before = test::ReadFileBytes(files.sli);
    EXPECT_TRUE(ExportSpectralLibrary(blocked, sources, LibraryOptions{}).status.failed());
    EXPECT_EQ(test::ReadFileBytes(files.sli), before);
    EXPECT_EQ(Lines(files.hdr), lines);
}

TEST(Provenance, NamesProgramInputsAndStagesSafely) {
    const Provenance p{"varnelo-cli 1.0", {"a \"b\".vrnldata", "{c}.vrnldata"}, "smooth sg:11:2; mean gap:30"};
    EXPECT_EQ(ProvenanceJson(p),
              "{\"program\":\"varnelo-cli 1.0\",\"inputs\":[\"a \\\"b\\\".vrnldata\",\"{c}.vrnldata\"],"
              "\"stages\":\"smooth sg:11:2; mean gap:30\"}");
    // A brace would end the ENVI header's value.
    EXPECT_EQ(ProvenanceText(p), "varnelo-cli 1.0; inputs: a \"b\".vrnldata,  c .vrnldata; smooth sg:11:2; mean gap:30");
}

}  // namespace
}  // namespace varnelo
