// export and track: the commands that write a data file's records out.
#include <filesystem>
#include <memory>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

namespace {

const QCommandLineOption OUTPUT_OPTION({QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("the file to write"),
                                       QStringLiteral("file"));

bool OutputPath(const QCommandLineParser& parser, std::filesystem::path& output) {
    if (!parser.isSet(OUTPUT_OPTION) || parser.value(OUTPUT_OPTION).isEmpty()) {
        Fail(QStringLiteral("missing the output file (-o FILE)"));
        return false;
    }
    output = std::filesystem::path(parser.value(OUTPUT_OPTION).toStdString());
    return true;
}

int Finish(const ExportResult& result) {
    if (result.status == ExportStatus::Written) return 0;
    return Fail(QString::fromStdString(result.error));
}

}  // namespace

int RunExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes every record of a data file to a CSV file."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the data file (*.vrnldata)"));
    parser.addOption(OUTPUT_OPTION);
    const QCommandLineOption mode(QStringLiteral("mode"), QStringLiteral("2ch (the two channel spectra, default) or reflectance"),
                                  QStringLiteral("mode"), QStringLiteral("2ch"));
    const QCommandLineOption limit(QStringLiteral("limit"), QStringLiteral("only 400-800 nm instead of 340-850 nm"));
    parser.addOption(mode);
    parser.addOption(limit);
    QString path;
    std::filesystem::path output;
    if (!Parse(parser, arguments) || !SinglePositional(parser, QStringLiteral("data file"), path)) return 2;
    if (!OutputPath(parser, output)) return 2;

    CsvOptions options;
    options.limitRange = parser.isSet(limit);
    const QString modeText = parser.value(mode);
    if (modeText == QLatin1String("2ch")) {
        options.mode = ExportMode::TwoChannel;
    } else if (modeText == QLatin1String("reflectance")) {
        options.mode = ExportMode::Reflectance;
    } else {
        Fail(QStringLiteral("unknown mode '%1' (2ch or reflectance)").arg(modeText));
        return 2;
    }

    const auto session = std::make_unique<Session>();
    if (!OpenSession(path, *session)) return 1;
    return Finish(session->exportCsv(output, options));
}

int RunTrack(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Writes the GPS track of a data file as GPX or GeoJSON, by the output's extension."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("the data file (*.vrnldata)"));
    parser.addOption(OUTPUT_OPTION);
    QString path;
    std::filesystem::path output;
    if (!Parse(parser, arguments) || !SinglePositional(parser, QStringLiteral("data file"), path)) return 2;
    if (!OutputPath(parser, output)) return 2;
    const std::optional<TrackFormat> format = TrackFormatForPath(output);
    if (!format) {
        Fail(QStringLiteral("cannot tell the track format of %1: use .gpx or .geojson").arg(parser.value(OUTPUT_OPTION)));
        return 2;
    }

    const auto session = std::make_unique<Session>();
    if (!OpenSession(path, *session)) return 1;
    return Finish(session->exportTrack(output, *format));
}

}  // namespace varnelo::cli
