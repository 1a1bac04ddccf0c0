// export and track: the commands that write a data file's records out as text.
#include <filesystem>
#include <memory>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"

namespace varnelo::cli {

namespace {

int Finish(const ExportResult& result) {
    if (result.status == ExportStatus::Written) return 0;
    return Fail(QString::fromStdString(result.error));
}

}  // namespace

int RunExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes every record of a data file to a CSV file."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data file (*.vrnldata)"));
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.csv"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("2ch (the two channel spectra, default) or reflectance"),
                                  QStringLiteral("MODE"), QStringLiteral("2ch"));
    const QCommandLineOption limit(QStringLiteral("limit"), QStringLiteral("only 400-800 nm instead of 340-850 nm"));
    parser.addOptions({output, mode, limit});
    QString path;
    std::filesystem::path target;
    if (const Stop stop = Parse(parser, arguments)) return *stop;
    if (const Stop stop = SinglePositional(parser, QStringLiteral("data file"), path)) return *stop;
    if (const Stop stop = OutputPath(parser, output, OutputKind::Text, target)) return *stop;

    CsvOptions options;
    options.limitRange = parser.isSet(limit);
    const QString modeText = parser.value(mode);
    if (modeText == QLatin1String("2ch")) {
        options.mode = ExportMode::TwoChannel;
    } else if (modeText == QLatin1String("reflectance")) {
        options.mode = ExportMode::Reflectance;
    } else {
        return UsageError(QStringLiteral("unknown mode '%1' (2ch or reflectance)").arg(modeText));
    }
    if (const Stop stop = DistinctFromInput(path, target)) return *stop;

    // Straight from the file: the same bytes as through a session, without
    // first reading the whole file into memory.
    DataFileReader source;
    if (const Stop stop = OpenDataFile(path, source)) return *stop;
    return Finish(ExportCsv(target, source, options));
}

int RunTrack(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the GPS track of a data file as GPX or GeoJSON, by the output's extension or --format."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data file (*.vrnldata)"));
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.gpx"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("gpx or geojson (default: by the output's extension)"),
                                    QStringLiteral("FORMAT"));
    parser.addOptions({output, format});
    QString path;
    std::filesystem::path target;
    if (const Stop stop = Parse(parser, arguments)) return *stop;
    if (const Stop stop = SinglePositional(parser, QStringLiteral("data file"), path)) return *stop;
    if (const Stop stop = OutputPath(parser, output, OutputKind::Text, target)) return *stop;
    std::optional<TrackFormat> trackFormat;
    if (parser.isSet(format)) {
        std::string name = "track.";
        name += parser.value(format).toStdString();
        trackFormat = TrackFormatForPath(name);
        if (!trackFormat) return UsageError(QStringLiteral("unknown format '%1' (gpx or geojson)").arg(parser.value(format)));
    } else {
        trackFormat = TrackFormatForPath(target);
        if (!trackFormat) {
            return UsageError(QStringLiteral("cannot tell the track format of %1: use .gpx or .geojson, or --format")
                                  .arg(parser.value(output)));
        }
    }
    if (const Stop stop = DistinctFromInput(path, target)) return *stop;

    const auto session = std::make_unique<Session>();
    if (const Stop stop = OpenSession(path, *session)) return *stop;
    return Finish(session->exportTrack(target, *trackFormat));
}

}  // namespace varnelo::cli
