// Whatever the user's locale, every text the program writes and every text
// it reads gives the same bytes: the command line run under each locale,
// and the core's texts and parsing under each process locale.
#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "charts/dialog_units.h"
#include "charts/spectrum_chart.h"
#include "charts/track_chart.h"
#include "data/data_file.h"
#include "export/csv_export.h"
#include "settings/setting_page.h"
#include "settings/settings_file.h"
#include "simulator/simulated_content.h"
#include "support/recording_canvas.h"
#include "support/test_support.h"
#include "text/decimal_prefix.h"
#include "track/gps_track.h"

namespace varnelo {
namespace {

namespace fs = std::filesystem;

// Decimal commas (German, French) and a multibyte locale (Japanese).
constexpr const char* LOCALES[] = {"C", "de_DE.UTF-8", "fr_FR.UTF-8", "ja_JP.UTF-8"};
constexpr int LOCALE_RECORDS = 40;
constexpr std::string_view SETTINGS_TEXT =
    "type,name,a0,a1,a2,a3,a4,a5\r\n"
    "C12880MA,18K00123,3.082012E+02,2.715432E+00,-1.103765E-03,-7.561204E-06,1.329876E-08,-8.01E-12\r\n"
    "\"C12880MA\",\"B2\",1.5,-.25e1,3,4,5,6\r\n";

std::string Text(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Everything varnelo-cli writes for a data file under a locale: the list,
// the CSV of both modes, the GPX track, the PNG charts, what the built-in
// logger's information page says, and the heads of a settings file.
std::vector<std::string> CommandLineOutputs(const fs::path& data, const test::TempDir& dir, const std::string& locale) {
    const auto underLocale = [&](const std::vector<std::string>& arguments) {
        test::CliSetting setting;
        setting.environment = {"LC_ALL=" + locale};
        const test::ProcessResult r = test::RunCli(arguments, setting);
        EXPECT_EQ(r.status, 0) << locale << ": " << r.err;
        return r.out;
    };
    std::vector<std::string> outputs;
    outputs.push_back(underLocale({"list", data.string()}));
    outputs.push_back(underLocale({"info", "--sim", "--seed", "5"}));
    outputs.push_back(underLocale({"sensors", (dir / "sensors.csv").string()}));
    for (const auto& [name, extra] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"out.csv", {"export", "--mode", "2ch"}},
             {"limit.csv", {"export", "--mode", "reflectance", "--limit"}},
             {"track.gpx", {"track"}},
             {"charts.png", {"plot", "--record", "3"}},
         }) {
        std::vector<std::string> arguments = {extra[0], data.string(), "-o", (dir / name).string()};
        arguments.insert(arguments.end(), extra.begin() + 1, extra.end());
        underLocale(arguments);
        outputs.push_back(Text(test::ReadFileBytes(dir / name)));
    }
    return outputs;
}

// The core's drawing of the charts (every operation, texts included), the
// settings pages, the CSV of both modes, and its readings (GPS sentences,
// settings files, numbers) under the process locale in force.
std::vector<std::string> CoreOutputs(const CVarneloDoc& doc, const DeviceInfoBlock& info, const fs::path& folder) {
    std::vector<std::string> outputs;
    for (int page = 0; page < SETTING_PAGE_COUNT; ++page) {
        for (const std::string& line : SettingPageLines(static_cast<SettingPage>(page), info, doc.parameterBlock())) {
            outputs.push_back(line);
        }
    }
    for (const SensorHead& head : ParseSensorTable(SETTINGS_TEXT).heads) {
        outputs.push_back(head.name);
        for (const double c : head.coefficients) outputs.push_back(std::to_string(std::bit_cast<std::uint64_t>(c)));
    }
    auto track = std::make_unique<GpsTrack>();
    ComputeTrack(doc, doc.recordCount(), *track);
    for (const CsvOptions& options : {CsvOptions{ExportMode::TwoChannel, false}, CsvOptions{ExportMode::Reflectance, true}}) {
        const fs::path csv = folder / "core.csv";
        EXPECT_TRUE(ExportCsv(csv, doc, *track, options).status);
        outputs.push_back(Text(test::ReadFileBytes(csv)));
    }
    const PixelSize spectrumSize = SpectrumFrameSize();
    const PixelSize trackSize = TrackFrameSize();
    for (int k = 0; k < doc.recordCount(); k += 7) {
        RecordingCanvas spectrum({0, 0, spectrumSize.width, spectrumSize.height});
        DrawSpectrumChart(spectrum, doc.record(k), false);
        RecordingCanvas chart({0, 0, trackSize.width, trackSize.height});
        DrawTrackChart(chart, TrackChartDataOf(*track, doc.recordCount()), k);
        for (const RecordingCanvas* canvas : {&spectrum, &chart}) {
            for (const CanvasOp& op : canvas->ops()) {
                outputs.push_back(std::to_string(static_cast<int>(op.kind)) + " " + std::to_string(op.point.x) + " " +
                                  std::to_string(op.point.y) + " " + op.text);
            }
        }
        outputs.push_back(RecordTimeLabel(doc.record(k)));
    }
    for (int k = 0; k < doc.recordCount(); ++k) {
        outputs.push_back(std::to_string(std::bit_cast<std::uint64_t>(track->latitude[static_cast<std::size_t>(k)])) +
                          " " + std::to_string(std::bit_cast<std::uint64_t>(track->x[static_cast<std::size_t>(k)])));
    }
    for (const std::string number : {"3539.1234", " -0.5e3", "1,5", "+.25E-2x"}) {
        const double value = ReadDecimalPrefix(std::span(reinterpret_cast<const std::uint8_t*>(number.data()), number.size()));
        outputs.push_back(std::to_string(std::bit_cast<std::uint64_t>(value)));
    }
    return outputs;
}

TEST(Locales, EveryTextWrittenOrReadIsTheSameUnderEachLocale) {
    test::TempDir dir;
    const fs::path data = dir / "logger.vrnldata";
    const test::ProcessResult downloaded =
        test::RunCli({"download", "--sim", "--records", std::to_string(LOCALE_RECORDS), "--seed", "5", "-o", data.string()});
    ASSERT_EQ(downloaded.status, 0) << downloaded.err;
    auto doc = std::make_unique<CVarneloDoc>();
    ASSERT_TRUE(LoadDataFile(data, *doc));
    const DeviceInfoBlock info = SimulatedContent(LOCALE_RECORDS, 5).deviceInfo();
    test::WriteFileBytes(dir / "sensors.csv", {SETTINGS_TEXT.begin(), SETTINGS_TEXT.end()});

    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::vector<std::string> referenceCli, referenceCore;
    for (const char* locale : LOCALES) {
        if (!std::setlocale(LC_ALL, locale)) {
            ADD_FAILURE() << "locale " << locale << " is missing (scripts/setup generates it)";
            continue;
        }
        const std::vector<std::string> core = CoreOutputs(*doc, info, dir.path());
        std::setlocale(LC_ALL, saved.c_str());
        const std::vector<std::string> cli = CommandLineOutputs(data, dir, locale);
        if (referenceCli.empty()) {
            referenceCli = cli;
            referenceCore = core;
            EXPECT_NE(cli[3].find(",35."), std::string::npos) << "positions are in the CSV";
            EXPECT_NE(cli[2].find("+3.08201200E+02"), std::string::npos) << cli[2];
            continue;
        }
        // The PNG is last. Under a Japanese locale the system shapes the
        // same readout text with the font's Japanese glyph forms, a few
        // pixels apart; the drawing itself is compared in the core's outputs.
        const std::size_t compared = std::string(locale).starts_with("ja_") ? cli.size() - 1 : cli.size();
        for (std::size_t i = 0; i < compared; ++i) EXPECT_TRUE(cli[i] == referenceCli[i]) << locale << " output " << i;
        EXPECT_EQ(core, referenceCore) << locale;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace varnelo
