// export and track: the commands that write a data file's records out as text.
#include <filesystem>
#include <memory>
#include <string>

#include "cli/batch.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "export/clock_offset.h"
#include "launch/path_text.h"

namespace varnelo::cli {

int RunExport(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes every record of a data file to a CSV file. With several data files, -o names a folder and each "
        "CSV file is named after its data file."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data files (*.vrnldata)"),
                                 QStringLiteral("FILE..."));
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.csv"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  QStringLiteral("2ch (the two channel spectra, default) or reflectance"),
                                  QStringLiteral("MODE"), QStringLiteral("2ch"));
    const QCommandLineOption limit(QStringLiteral("limit"), QStringLiteral("only 400-800 nm instead of 340-850 nm"));
    parser.addOptions({output, mode, limit});
    QStringList paths;
    std::filesystem::path target;
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = DataFiles(parser, paths); !checked) return ExitStatus(checked);
    if (const Status checked = OutputPath(parser, output, OutputKind::Text, target); !checked)
        return ExitStatus(checked);

    CsvOptions options;
    options.limitRange = parser.isSet(limit);
    const QString modeText = parser.value(mode);
    if (modeText == QLatin1String("2ch")) {
        options.mode = ExportMode::TwoChannel;
    } else if (modeText == QLatin1String("reflectance")) {
        options.mode = ExportMode::Reflectance;
    } else {
        return UsageError(QStringLiteral("unknown mode %1 (2ch or reflectance)").arg(Quoted(modeText)));
    }
    const OneFile one = [&](const QString& path, const std::filesystem::path& to) {
        // Straight from the file: the same bytes as through a session, without
        // first reading the whole file into memory.
        DataFileReader source;
        if (const Status checked = OpenDataFile(path, source); !checked) return ExitStatus(checked);
        return FinishExport(ExportCsv(to, source, options));
    };
    if (paths.size() > 1) return RunBatch(paths, target, ".csv", one);
    if (const Status checked = DistinctFromInput(paths.front(), target); !checked) return ExitStatus(checked);
    return one(paths.front(), target);
}

int RunTrack(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the GPS track of a data file as GPX or GeoJSON, by the output's extension or --format. With several "
        "data files, -o names a folder, --format is needed and each track is named after its data file."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data files (*.vrnldata)"),
                                 QStringLiteral("FILE..."));
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.gpx"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("gpx or geojson (default: by the output's extension)"),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption utcOffset = UtcOffsetOption();
    parser.addOptions({output, format, utcOffset});
    QStringList paths;
    std::filesystem::path target;
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = DataFiles(parser, paths); !checked) return ExitStatus(checked);
    if (const Status checked = OutputPath(parser, output, OutputKind::Text, target); !checked)
        return ExitStatus(checked);
    std::optional<int> offset;
    bool autoOffset = false;
    if (const Status checked = ReadUtcOffset(parser, utcOffset, offset, autoOffset); !checked) return ExitStatus(checked);
    const bool batch = paths.size() > 1;
    std::optional<TrackFormat> trackFormat;
    if (parser.isSet(format)) {
        std::string name = "track.";
        name += parser.value(format).toStdString();
        trackFormat = TrackFormatForPath(name);
        if (!trackFormat) return UsageError(QStringLiteral("unknown format %1 (gpx or geojson)").arg(Quoted(parser.value(format))));
    } else if (batch) {
        return UsageError(QStringLiteral("name the format of the tracks in %1 with --format gpx|geojson")
                              .arg(parser.value(output)));
    } else {
        trackFormat = TrackFormatForPath(target);
        if (!trackFormat) {
            return UsageError(QStringLiteral("cannot tell the track format of %1: use .gpx or .geojson, or --format")
                                  .arg(parser.value(output)));
        }
    }
    const OneFile one = [&](const QString& path, const std::filesystem::path& to) {
        const auto session = std::make_unique<Session>();
        if (const Status checked = OpenSession(path, *session); !checked) return ExitStatus(checked);
        std::optional<int> fileOffset = offset;
        if (autoOffset) {
            const OffsetFinding found = FindUtcOffset(DocumentRecords(session->doc()));
            if (!found.minutes) return Fail(QString::fromStdString(PathBytesOfText(path).toStdString() + ": " + found.error));
            fileOffset = found.minutes;
        }
        return FinishExport(session->exportTrack(to, *trackFormat, fileOffset));
    };
    if (batch) return RunBatch(paths, target, *trackFormat == TrackFormat::Gpx ? ".gpx" : ".geojson", one);
    if (const Status checked = DistinctFromInput(paths.front(), target); !checked) return ExitStatus(checked);
    return one(paths.front(), target);
}

}  // namespace varnelo::cli
