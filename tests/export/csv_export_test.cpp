#include "export/csv_export.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "io/atomic_file.h"
#include "data/data_file_reader.h"
#include "session/session.h"
#include "support/test_support.h"

namespace varnelo {
namespace {

constexpr const char* EXAMPLE_PREFIX = "2021/10/ 7, 9: 5: 3,35.6520567,139.7613150,12.3,3.85,95.0,25.1,25.3,100,200,";

std::string Wavelengths(int first, int last) {
    std::string text;
    for (int nm = first; nm <= last; ++nm) text += std::to_string(nm) + ",";
    return text;
}

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::string FileText(const std::filesystem::path& path) {
    const auto bytes = test::ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

// The example record: 1000 counts on ch.1 with a table of 0.5 and 2000 on
// ch.2 at every wavelength, exposures 100 and 200, so that ch.1 scaled is
// 1000 and the reflectance 0.5 everywhere.
void FillExample(MeasurementRecord& record) {
    record.set_time(41, 10, 7, 9, 5, 3);
    record.set_gps_text("X,1,2,3539.1234,N,13945.6789,E,10.0,90.0,9,12.3,45.6");
    record.set_battery(95.0f, 3.85f);
    record.set_temps(25.1f, 25.3f);
    record.set_exp(100, 200);
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        record.set_spectrum_ch1(j, 1000.0f);
        record.set_channel_diff(j, 0.5f);
        record.set_spectrum_ch2(j, 2000.0f);
    }
}

class CsvExport : public ::testing::Test {
protected:
    std::string Row(int i, CsvOptions options) {
        CsvRowFormatter formatter(options);
        return std::string(formatter.Row(doc->record(i), *track, i));
    }
    void Compute() { ComputeTrack(*doc, doc->recordCount(), *track); }

    std::unique_ptr<CVarneloDoc> doc = std::make_unique<CVarneloDoc>();
    std::unique_ptr<GpsTrack> track = std::make_unique<GpsTrack>();
    test::TempDir dir;
};

TEST_F(CsvExport, HeaderLinesOfAllFourLayouts) {
    const std::string fixed = "date,time,latitude,longitude,altitude,batv,batc,temp(CH1), temp(CH2), exp(CH1), exp(CH2),";
    EXPECT_EQ(CsvHeaderLine({ExportMode::TwoChannel, false}), fixed + Repeat(Wavelengths(340, 850), 2) + "\r\n");
    EXPECT_EQ(CsvHeaderLine({ExportMode::TwoChannel, true}), fixed + Repeat(Wavelengths(400, 800), 2) + "\r\n");
    EXPECT_EQ(CsvHeaderLine({ExportMode::Reflectance, false}), fixed + Wavelengths(340, 850) + "\r\n");
    EXPECT_EQ(CsvHeaderLine({ExportMode::Reflectance, true}), fixed + Wavelengths(400, 800) + "\r\n");
}

TEST_F(CsvExport, RowsOfTheExampleRecordInAllFourLayouts) {
    FillExample(doc->record(0));
    doc->setRecordCount(1);
    Compute();
    const std::string prefix = EXAMPLE_PREFIX;
    EXPECT_EQ(Row(0, {ExportMode::TwoChannel, false}),
              prefix + Repeat("1000.0,", 511) + Repeat("2000.0,", 511) + "\r\n");
    EXPECT_EQ(Row(0, {ExportMode::TwoChannel, true}), prefix + Repeat("1000.0,", 401) + Repeat("2000.0,", 401) + "\r\n");
    EXPECT_EQ(Row(0, {ExportMode::Reflectance, false}), prefix + Repeat("0.500,", 511) + "\r\n");
    EXPECT_EQ(Row(0, {ExportMode::Reflectance, true}), prefix + Repeat("0.500,", 401) + "\r\n");

    // The window is elements 60 (400 nm) to 460 (800 nm), both included.
    MeasurementRecord& record = doc->record(0);
    for (std::size_t j : {59u, 461u}) record.set_spectrum_ch2(j, 1.0f);
    record.set_spectrum_ch2(60, 4000.0f);
    record.set_spectrum_ch2(460, 8000.0f);
    EXPECT_EQ(Row(0, {ExportMode::Reflectance, true}), prefix + "0.250," + Repeat("0.500,", 399) + "0.125,\r\n");
}

TEST_F(CsvExport, ZeroChannelTwoAndNonFiniteValues) {
    MeasurementRecord& record = doc->record(0);
    FillExample(record);
    record.set_spectrum_ch2(0, 0.0f);
    record.set_spectrum_ch1(1, -1000.0f);
    record.set_spectrum_ch2(1, -0.0f);
    doc->setRecordCount(1);
    Compute();
    std::string row = Row(0, {ExportMode::Reflectance, false});
    EXPECT_EQ(row.substr(std::string(EXAMPLE_PREFIX).size(), 18), "0.000,0.000,0.500,");

    // No exposure on ch.1: the ratio is infinite, 0 counts give NaN.
    record.set_exp(0, 200);
    record.set_spectrum_ch1(2, 0.0f);
    record.set_spectrum_ch2(1, 2000.0f);
    row = Row(0, {ExportMode::TwoChannel, false});
    EXPECT_EQ(row.substr(row.find(",0,200,") + 7, 18), "inf,-inf,nan,inf,i");
    row = Row(0, {ExportMode::Reflectance, false});
    EXPECT_EQ(row.substr(row.find(",0,200,") + 7, 21), "0.000,-inf,nan,inf,in");

    // A sentence without a position gives latitude and longitude 0.
    record.set_gps_text("no fix");
    Compute();
    EXPECT_EQ(Row(0, {}).rfind("2021/10/ 7, 9: 5: 3,0.0000000,0.0000000,12.3,", 0), 0u);
}

// Any record, whatever its bytes, against a plain printf of the same values.
TEST_F(CsvExport, RowsMatchPrintfForArbitraryRecords) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "C");
    for (std::uint32_t seed = 0; seed < 40; ++seed) {
        doc->record(0) = test::PatternRecord(seed);
        doc->setRecordCount(1);
        Compute();
        const MeasurementRecord& r = doc->record(0);
        const CsvOptions options{seed % 2 ? ExportMode::Reflectance : ExportMode::TwoChannel, seed % 3 == 0};
        char fixed[2048];
        std::string expected(fixed, static_cast<std::size_t>(std::snprintf(
                                        fixed, sizeof fixed, "%s,%9.7f,%9.7f,%3.1f,%3.2f,%3.1f,%3.1f,%3.1f,%d,%d,",
                                        RecordTimeLabel(r).c_str(), track->latitude[0], track->longitude[0],
                                        static_cast<double>(track->altitude[0]), static_cast<double>(r.batv()),
                                        static_cast<double>(r.batc()), static_cast<double>(r.temp_ch1()),
                                        static_cast<double>(r.temp_ch2()), r.exp_ch1(), r.exp_ch2())));
        const DerivedSpectra spectra = DeriveSpectra(r);
        const WavelengthWindow window = ExportWindow(options.limitRange);
        const auto append = [&](const Spectrum& values, const char* format) {
            for (int j = window.first; j <= window.last; ++j) {
                char text[64];
                expected.append(text, static_cast<std::size_t>(std::snprintf(
                                          text, sizeof text, format, static_cast<double>(values[static_cast<std::size_t>(j)]))));
            }
        };
        if (options.mode == ExportMode::TwoChannel) {
            append(spectra.ch1_scaled, "%3.1f,");
            append(spectra.ch2, "%3.1f,");
        } else {
            append(spectra.reflectance, "%3.3f,");
        }
        expected += "\r\n";
        for (std::size_t at; (at = expected.find("-nan")) != std::string::npos;) expected.erase(at, 1);
        EXPECT_EQ(Row(0, options), expected) << "seed " << seed;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(CsvExport, FileHoldsTheHeaderAndOneLinePerRecord) {
    const auto path = dir / "out.csv";
    test::WriteFileBytes(path, std::vector<std::uint8_t>(100000, 'x'));
    ASSERT_TRUE(ExportCsv(path, *doc, *track, {ExportMode::Reflectance, true}).status);
    EXPECT_EQ(FileText(path),
              "date,time,latitude,longitude,altitude,batv,batc,temp(CH1), temp(CH2), exp(CH1), exp(CH2)," +
                  Wavelengths(400, 800) + "\r\n");

    for (int i = 0; i < 3; ++i) FillExample(doc->record(i));
    doc->record(1).set_time(41, 12, 31, 23, 59, 58);
    doc->setRecordCount(3);
    Compute();
    const CsvOptions options{ExportMode::Reflectance, true};
    ASSERT_TRUE(ExportCsv(path, *doc, *track, options).status);
    EXPECT_EQ(FileText(path), CsvHeaderLine(options) + Row(0, options) + Row(1, options) + Row(2, options));
    EXPECT_NE(FileText(path).find("\r\n2021/12/31,23:59:58,"), std::string::npos);
}

// The same bytes under every process locale: system/locale_test.cpp.

// Lines are made in batches on several threads: the file must still be the
// header and then every record's line in record order, in every mode.
TEST_F(CsvExport, AFileOfManyBatchesHoldsEveryLineInRecordOrder) {
    const int count = 333;
    for (int i = 0; i < count; ++i) doc->record(i) = test::PatternRecord(static_cast<std::uint32_t>(7 * i));
    doc->setRecordCount(count);
    Compute();
    for (const CsvOptions options : {CsvOptions{ExportMode::TwoChannel, false}, CsvOptions{ExportMode::Reflectance, true}}) {
        std::string expected = CsvHeaderLine(options);
        for (int i = 0; i < count; ++i) expected += Row(i, options);
        const auto path = dir / "many.csv";
        ASSERT_TRUE(ExportCsv(path, *doc, *track, options).status);
        EXPECT_TRUE(FileText(path) == expected) << "mode " << static_cast<int>(options.mode);
    }
}

// Straight from the file, the CSV is the one a new session opening the file
// exports: records with and without positions, with short sentences whose
// missing fields a fresh track leaves at zero, and an empty file.
TEST_F(CsvExport, StraightFromTheFileAsFromANewSession) {
    for (const int count : {0, 1, 95}) {
        for (int i = 0; i < count; ++i) {
            doc->record(i) = test::PatternRecord(static_cast<std::uint32_t>(3 * i + count));
            if (i % 3 == 0) FillExample(doc->record(i));
            if (i % 3 == 1) doc->record(i).set_gps_text("X,1,2,3539.1234,N,13945.6789,E");
        }
        doc->setRecordCount(count);
        const auto data = dir / "data.vrnldata";
        ASSERT_TRUE(SaveDataFile(data, *doc));
        auto session = std::make_unique<Session>();
        ASSERT_TRUE(session->open(data));
        for (const CsvOptions options : {CsvOptions{ExportMode::TwoChannel, false}, CsvOptions{ExportMode::TwoChannel, true},
                                         CsvOptions{ExportMode::Reflectance, false}, CsvOptions{ExportMode::Reflectance, true}}) {
            ASSERT_TRUE(session->exportCsv(dir / "session.csv", options).status);
            DataFileReader source;
            ASSERT_TRUE(source.open(data));
            ASSERT_TRUE(ExportCsv(dir / "file.csv", source, options).status);
            EXPECT_TRUE(FileText(dir / "file.csv") == FileText(dir / "session.csv")) << count;
        }
    }
    test::WriteFileBytes(dir / "zero.vrnldata", {});
    DataFileReader empty;
    ASSERT_TRUE(empty.open(dir / "zero.vrnldata"));
    ASSERT_TRUE(ExportCsv(dir / "zero.csv", empty, {}).status);
    EXPECT_EQ(FileText(dir / "zero.csv"), CsvHeaderLine({}));
}

// A file cut after it was opened: the export fails, naming the first record
// it could not read, and leaves the target as it was.
TEST_F(CsvExport, AFileCutWhileExportingFailsAndLeavesTheTargetAlone) {
    for (int i = 0; i < 300; ++i) FillExample(doc->record(i));
    doc->setRecordCount(300);
    const auto data = dir / "data.vrnldata";
    ASSERT_TRUE(SaveDataFile(data, *doc));
    DataFileReader source;
    ASSERT_TRUE(source.open(data));
    std::filesystem::resize_file(data, DataFileSize(200) + 100);
    const auto target = dir / "out.csv";
    test::WriteFileBytes(target, {'o', 'l', 'd'});
    const ExportResult result = ExportCsv(target, source, {});
    EXPECT_TRUE(result.status.failed());
    EXPECT_NE(result.status.detail.find("record 200"), std::string::npos) << result.status.detail;
    EXPECT_EQ(FileText(target), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
}

TEST_F(CsvExport, ProgressIsReportedAndCancelLeavesTheTargetAlone) {
    for (int i = 0; i < 250; ++i) FillExample(doc->record(i));
    doc->setRecordCount(250);
    Compute();
    const auto path = dir / "out.csv";
    std::vector<std::pair<int, int>> reports;
    ASSERT_EQ(ExportCsv(path, *doc, *track, {}, [&](int done, int total) {
                  reports.emplace_back(done, total);
                  return true;
              }).status.kind,
              Status::Kind::Ok);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), std::make_pair(250, 250));
    for (std::size_t k = 1; k < reports.size(); ++k) EXPECT_GT(reports[k].first, reports[k - 1].first);

    // Cancelled at once and half way: formatting threads still at work stop too.
    for (const int stopAt : {1, 200}) {
        test::WriteFileBytes(path, {'o', 'l', 'd'});
        int calls = 0;
        const auto cancel = [&](int done, int) { return ++calls < 100 && done < stopAt; };
        EXPECT_TRUE(ExportCsv(path, *doc, *track, {}, cancel).status.cancelled()) << stopAt;
        EXPECT_EQ(FileText(path), "old");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
    }
}

TEST_F(CsvExport, FailuresAreReportedAndLeaveNothingBehind) {
    FillExample(doc->record(0));
    doc->setRecordCount(1);
    Compute();
    ExportResult result = ExportCsv(dir / "missing" / "out.csv", *doc, *track, {});
    EXPECT_TRUE(result.status.failed());
    EXPECT_NE(result.status.detail.find("missing"), std::string::npos) << result.status.detail;

    // A folder where the file should go cannot be replaced by the export.
    std::filesystem::create_directory(dir / "taken.csv");
    test::WriteFileBytes(dir / "taken.csv" / "inside", {'k'});
    result = ExportCsv(dir / "taken.csv", *doc, *track, {});
    EXPECT_TRUE(result.status.failed());
    EXPECT_FALSE(result.status.detail.empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.csv"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 1);
}

}  // namespace
}  // namespace varnelo
