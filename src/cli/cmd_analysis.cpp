// indices and points: the records' spectral indices as a table and as a GIS
// point layer.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "export/index_export.h"

namespace varnelo::cli {

namespace {

QCommandLineOption IndexOption() {
    return QCommandLineOption(
        QStringLiteral("index"),
        QStringLiteral("an index to compute: ndvi, pri, rep, mtci or nd:A:B, the normalised difference of A and B nm "
                       "(340..850); repeat for more (default: ndvi, pri, rep, mtci)"),
        QStringLiteral("NAME"));
}

// The --index values in order, or the default four.
Stop ChosenIndices(const QCommandLineParser& parser, const QCommandLineOption& option,
                   std::vector<SpectralIndex>& indices) {
    const QStringList names = parser.values(option);
    if (names.isEmpty()) {
        indices = DefaultIndices();
        return std::nullopt;
    }
    indices.clear();
    for (const QString& name : names) {
        std::string error;
        const std::optional<SpectralIndex> index = ParseIndexName(name.toStdString(), error);
        if (!index) return UsageError(QString::fromStdString(error));
        // Asked for twice, an index is still one column and one property.
        if (std::find(indices.begin(), indices.end(), *index) == indices.end()) indices.push_back(*index);
    }
    return std::nullopt;
}

// The shared shape of both commands: files, -o, --index, then one output
// per file.
template <class Write>
int RunPerFile(QCommandLineParser& parser, const QStringList& arguments, const QCommandLineOption& output,
               const QCommandLineOption& index, std::string_view extension, Write write) {
    QStringList paths;
    std::filesystem::path target;
    std::vector<SpectralIndex> indices;
    if (const Stop stop = Parse(parser, arguments)) return *stop;
    if (const Stop stop = DataFiles(parser, paths)) return *stop;
    if (const Stop stop = OutputPath(parser, output, OutputKind::Text, target)) return *stop;
    if (const Stop stop = ChosenIndices(parser, index, indices)) return *stop;
    const OneFile one = [&](const QString& path, const std::filesystem::path& to) {
        // Straight from the file, as export reads it: the indices need a few
        // elements of each record, never the whole file in memory.
        DataFileReader source;
        if (const Stop stop = OpenDataFile(path, source)) return *stop;
        return FinishExport(write(to, source, indices));
    };
    if (paths.size() > 1) return RunBatch(paths, target, extension, one);
    if (const Stop stop = DistinctFromInput(paths.front(), target)) return *stop;
    return one(paths.front(), target);
}

void AddFiles(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data files (*.vrnldata)"),
                                 QStringLiteral("FILE..."));
}

}  // namespace

int RunIndices(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a CSV table of every record's spectral indices with its time, signed position, altitude, speed, "
        "temperatures and battery voltage. With several data files, -o names a folder and each table is named "
        "after its data file."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.csv"));
    const QCommandLineOption index = IndexOption();
    parser.addOptions({output, index});
    return RunPerFile(parser, arguments, output, index, ".csv",
                      [](const std::filesystem::path& to, DataFileReader& source, const std::vector<SpectralIndex>& indices) {
                          return ExportIndexTable(to, source, IndexTableOptions{indices});
                      });
}

int RunPoints(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a GIS point layer (GeoJSON, WGS 84) with one point per record that has a GPS fix, carrying its "
        "time, motion, temperatures, battery voltage and spectral indices. With several data files, -o names a "
        "folder and each layer is named after its data file."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.geojson"));
    const QCommandLineOption index = IndexOption();
    const QCommandLineOption profiles(
        QStringLiteral("profiles"),
        QStringLiteral("add each record's reflectance, 340..850 nm, as a spectral profile that EnMAP-Box reads as a "
                       "spectral library"));
    parser.addOptions({output, index, profiles});
    return RunPerFile(parser, arguments, output, index, ".geojson",
                      [&](const std::filesystem::path& to, DataFileReader& source, const std::vector<SpectralIndex>& indices) {
                          return ExportPointLayer(to, source, PointLayerOptions{indices, parser.isSet(profiles)});
                      });
}

}  // namespace varnelo::cli
