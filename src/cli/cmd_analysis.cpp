// indices, points, bands and library: the records' spectral results as
// tables, a GIS point layer and a spectral library. The commands only choose
// the stages (smoothing, grouping) and the outputs; the core does the rest.
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "export/clock_offset.h"
#include "export/index_export.h"
#include "export/provenance.h"
#include "export/result_choices.h"
#include "export/spectral_library.h"
#include "io/atomic_file.h"
#include "io/path_text.h"
#include "io/table_file.h"
#include "netcdf/netcdf_export.h"
#include "launch/path_text.h"

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
Status ChosenIndices(const QCommandLineParser& parser, const QCommandLineOption& option,
                     std::vector<SpectralIndex>& indices) {
    const QStringList names = parser.values(option);
    if (names.isEmpty()) {
        indices = DefaultIndices();
        return {};
    }
    indices.clear();
    for (const QString& name : names) {
        std::string error;
        const std::optional<SpectralIndex> index = ParseIndexName(name.toStdString(), error);
        if (!index) return UsageStatus(QString::fromStdString(error));
        // Asked for twice, an index is still one column and one property.
        if (std::find(indices.begin(), indices.end(), *index) == indices.end()) indices.push_back(*index);
    }
    return {};
}

// The stage options a command takes; those it does not take stay unset.
struct StageOptions {
    std::optional<QCommandLineOption> smooth, derivative, mean, skyChange;
    QCommandLineOption utcOffset = UtcOffsetOption();
    QCommandLineOption saturation{QStringLiteral("saturation"),
                                  QStringLiteral("flag saturated when a raw ch.1 or ch.2 reading over 340..850 nm is at "
                                                 "or above COUNTS (default 65535, the heads' full scale)"),
                                  QStringLiteral("COUNTS")};
    QCommandLineOption maxZenith{QStringLiteral("max-zenith"),
                                 QStringLiteral("with --utc-offset: flag lowsun when the sun's zenith angle exceeds DEG "
                                                "(default 60)"),
                                 QStringLiteral("DEG")};
    QCommandLineOption panel{QStringLiteral("panel"),
                             QStringLiteral("the records (numbered from 0, as 0,20-21,39) taken over a white reference "
                                            "panel: each reflectance is divided by theirs, interpolated in time"),
                             QStringLiteral("LIST")};
    QCommandLineOption panelReflectance{
        QStringLiteral("panel-reflectance"),
        QStringLiteral("the panel's certified reflectance: a factor, or a CSV table of wavelength (nm) and "
                       "reflectance covering 340..850 nm"),
        QStringLiteral("FILE.csv|VALUE")};

    static StageOptions For(bool smoothing, bool grouping, bool sky) {
        StageOptions o;
        if (smoothing) {
            o.smooth.emplace(QStringLiteral("smooth"),
                             QStringLiteral("smooth each reflectance with a Savitzky-Golay filter of an odd window of W "
                                            "points (5..51) and polynomial order P (1..W-2)"),
                             QStringLiteral("sg:W:P"));
            o.derivative.emplace(QStringLiteral("derivative"),
                                 QStringLiteral("with --smooth: the first derivative (per nm) of the fit instead"));
        }
        if (grouping) {
            o.mean.emplace(QStringLiteral("mean"),
                           QStringLiteral("one mean spectrum per N consecutive records, or per run of records at most S "
                                          "seconds apart (gap:S)"),
                           QStringLiteral("N|gap:S"));
        }
        if (sky) {
            o.skyChange.emplace(QStringLiteral("sky-change"),
                                QStringLiteral("flag sky when the reference light changes by more than PCT % from the "
                                               "record before (default 10)"),
                                QStringLiteral("PCT"));
        }
        return o;
    }

    void addTo(QCommandLineParser& parser) const {
        for (const auto* option : {&smooth, &derivative, &mean, &skyChange}) {
            if (*option) parser.addOption(**option);
        }
        parser.addOptions({utcOffset, saturation, maxZenith, panel, panelReflectance});
    }

    // --panel and --panel-reflectance: the records and the certified reflectance.
    Status readPanel(const QCommandLineParser& parser, std::optional<std::vector<int>>& records,
                     ReflectanceArray& certified) const {
        if (!parser.isSet(panel) && !parser.isSet(panelReflectance)) return {};
        if (!parser.isSet(panel) || !parser.isSet(panelReflectance)) {
            return UsageStatus(QStringLiteral("--panel and --panel-reflectance go together"));
        }
        std::string error;
        records = ParsePanelList(parser.value(panel).toStdString(), error);
        if (!records) return UsageStatus(QString::fromStdString(error));
        const std::optional<ReflectanceArray> read =
            ReadPanelReflectance(PathBytesOfText(parser.value(panelReflectance)).toStdString(), error);
        if (!read) return UsageStatus(QString::fromStdString(error));
        certified = *read;
        return {};
    }

    Status read(const QCommandLineParser& parser, RowStages& stages, bool& autoOffset) const {
        std::string error;
        if (Status checked = ReadUtcOffset(parser, utcOffset, stages.utcOffset, autoOffset); !checked) return checked;
        if (parser.isSet(saturation)) {
            const std::optional<float> counts = ParseSaturation(parser.value(saturation).toStdString(), error);
            if (!counts) return UsageStatus(QString::fromStdString(error));
            stages.saturation = *counts;
        }
        if (parser.isSet(maxZenith)) {
            const std::optional<double> degrees = ParseMaxZenith(parser.value(maxZenith).toStdString(), error);
            if (!degrees) return UsageStatus(QString::fromStdString(error));
            stages.maxZenith = *degrees;
        }
        if (smooth && parser.isSet(*smooth)) {
            stages.smoothing = ParseSmoothing(parser.value(*smooth).toStdString(), error);
            if (!stages.smoothing) return UsageStatus(QStringLiteral("--smooth ") + QString::fromStdString(error));
            stages.smoothing->derivative = parser.isSet(*derivative);
        } else if (derivative && parser.isSet(*derivative)) {
            return UsageStatus(QStringLiteral("--derivative needs --smooth sg:W:P"));
        }
        if (mean && parser.isSet(*mean)) {
            const std::optional<Grouping> grouping = ParseGrouping(parser.value(*mean).toStdString(), error);
            if (!grouping) return UsageStatus(QString::fromStdString(error));
            stages.grouping = *grouping;
        }
        if (skyChange && parser.isSet(*skyChange)) {
            const std::optional<double> threshold = ParseSkyChange(parser.value(*skyChange).toStdString(), error);
            if (!threshold) return UsageStatus(QString::fromStdString(error));
            stages.skyChange = *threshold;
        }
        return {};
    }
};

Provenance MakeProvenance(const QStringList& inputs, const std::string& stages) {
    Provenance p{std::string("varnelo-cli ") + VARNELO_VERSION, {}, stages};
    for (const QString& input : inputs) p.inputs.push_back(PathBytesOfText(input).toStdString());
    return p;
}

// Writes one output per data file: files, -o, then `write` for each.
using WriteOne = std::function<ExportResult(const std::filesystem::path& to, DataFileReader& source, const QString& input)>;

int RunPerFile(const QStringList& paths, const std::filesystem::path& target, std::string_view extension,
               const WriteOne& write) {
    const OneFile one = [&](const QString& path, const std::filesystem::path& to) {
        // Straight from the file, as export reads it: never the whole file in memory.
        DataFileReader source;
        if (const Status checked = OpenDataFile(path, source); !checked) return ExitStatus(checked);
        return FinishExport(write(to, source, path));
    };
    if (paths.size() > 1) return RunBatch(paths, target, extension, one);
    if (const Status checked = DistinctFromInput(paths.front(), target); !checked) return ExitStatus(checked);
    return one(paths.front(), target);
}

void AddFiles(QCommandLineParser& parser) {
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("the data files (*.vrnldata)"),
                                 QStringLiteral("FILE..."));
}

// Files, -o, --index and the stages, as every command here reads them.
struct Common {
    QStringList paths;
    std::filesystem::path target;
    std::vector<SpectralIndex> indices;
    RowStages stages;
    bool autoOffset = false;  // the clock's offset is found in each file
    std::optional<std::vector<int>> panelRecords;
    ReflectanceArray certified{};
};

// One data file's stages: the clock's offset found in its own records when
// asked for.
Status FileStages(const Common& c, DataFileReader& source, RowStages& stages) {
    stages = c.stages;
    FileBatches batches(source);
    if (c.panelRecords) {
        if (!c.panelRecords->empty() && c.panelRecords->back() >= source.count()) {
            return Status{Status::Kind::Usage, "--panel names record " + std::to_string(c.panelRecords->back()) + " but " +
                                                   PathText(source.path()) + " holds " +
                                                   std::to_string(source.count()) + " records"};
        }
        stages.panel = LoadPanelCalibration(batches, *c.panelRecords, c.certified);
        if (!stages.panel) return Status{Status::Kind::OpenFailed, batches.unreadable(source.count())};
    }
    if (!c.autoOffset) return {};
    const OffsetFinding found = FindUtcOffset(FileRecords(batches));
    if (!found.minutes) return Status{Status::Kind::Failed, PathText(source.path()) + ": " + found.error};
    stages.utcOffset = found.minutes;
    return {};
}

Status ReadCommon(QCommandLineParser& parser, const QStringList& arguments, const QCommandLineOption& output,
                  OutputKind kind, const QCommandLineOption* index, const StageOptions& stageOptions, Common& common) {
    if (Status checked = Parse(parser, arguments); !checked) return checked;
    if (Status checked = DataFiles(parser, common.paths); !checked) return checked;
    if (Status checked = OutputPath(parser, output, kind, common.target); !checked) return checked;
    if (index) {
        if (Status checked = ChosenIndices(parser, *index, common.indices); !checked) return checked;
    } else {
        common.indices = DefaultIndices();
    }
    if (Status checked = stageOptions.readPanel(parser, common.panelRecords, common.certified); !checked) return checked;
    return stageOptions.read(parser, common.stages, common.autoOffset);
}

// The bands --sensor or --srf name; the partial ones left out (said once)
// unless --partial keeps them.
Status ChosenBands(const QCommandLineParser& parser, const QCommandLineOption& sensor, const QCommandLineOption& srf,
                   bool partial, BandSet& bands) {
    std::string error;
    std::optional<BandSet> set;
    // A table replaces the built-in responses: naming both is a contradiction.
    if (parser.isSet(sensor) && parser.isSet(srf)) {
        return UsageStatus(QStringLiteral("bands takes --sensor or --srf, not both"));
    }
    if (parser.isSet(sensor)) {
        set = BuiltInSensor(parser.value(sensor).toStdString(), error);
        if (!set) return UsageStatus(QString::fromStdString(error));
    } else if (parser.isSet(srf)) {
        const std::filesystem::path path = ToPath(parser.value(srf));
        std::string text;
        if (const Status read = ReadTableFile(path, text); !read) {
            return UsageStatus(QStringLiteral("--srf ") + QString::fromStdString(read.detail));
        }
        set = ParseResponseTable(text, PathText(path), error);
        if (!set) return UsageStatus(QStringLiteral("--srf ") + QString::fromStdString(error));
    } else {
        return UsageStatus(QStringLiteral("bands needs --sensor s2a|l8 or --srf TABLE.csv"));
    }
    if (!partial) {
        for (const std::string& line : LeaveOutPartialBands(*set)) Warn(line + ": left out; --partial keeps it");
    }
    bands = std::move(*set);
    return {};
}

}  // namespace

int RunIndices(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a CSV table of every record's spectral indices with its time, signed position, altitude, speed, "
        "temperatures, battery voltage and quality flags (qc). With several data files, -o names a folder and each "
        "table is named after its data file."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.csv"));
    const QCommandLineOption index = IndexOption();
    const StageOptions stageOptions = StageOptions::For(true, true, true);
    parser.addOptions({output, index});
    stageOptions.addTo(parser);
    Common c;
    const Status read = ReadCommon(parser, arguments, output, OutputKind::Text, &index, stageOptions, c);
    if (!read) return ExitStatus(read);
    return RunPerFile(c.paths, c.target, ".csv", [&](const auto& to, DataFileReader& source, const QString&) {
        IndexTableOptions options{c.indices, {}};
        if (Status found = FileStages(c, source, options.stages); !found) return ExportResult{std::move(found)};
        return ExportIndexTable(to, source, options);
    });
}

int RunPoints(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a GIS point layer (GeoJSON, WGS 84) with one point per record that has a GPS fix, carrying its "
        "time, motion, temperatures, battery voltage, spectral indices and quality flags (qc). With --profiles it "
        "also writes OUT.qml, the QGIS layer style that makes EnMAP-Box open the layer as a spectral library. With "
        "several data files, -o names a folder and each layer is named after its data file."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.geojson"));
    const QCommandLineOption index = IndexOption();
    const QCommandLineOption profiles(
        QStringLiteral("profiles"),
        QStringLiteral("add each record's reflectance, 340..850 nm, as a spectral profile that EnMAP-Box reads as a "
                       "spectral library"));
    const StageOptions stageOptions = StageOptions::For(true, false, true);
    parser.addOptions({output, index, profiles});
    stageOptions.addTo(parser);
    Common c;
    const Status read = ReadCommon(parser, arguments, output, OutputKind::Text, &index, stageOptions, c);
    if (!read) return ExitStatus(read);
    if (c.stages.smoothing && !parser.isSet(profiles)) {
        return UsageError(QStringLiteral("points takes --smooth with --profiles only"));
    }
    const bool withProfiles = parser.isSet(profiles);
    return RunPerFile(c.paths, c.target, ".geojson", [&](const auto& to, DataFileReader& source, const QString& input) {
        RowStages stages;
        if (Status found = FileStages(c, source, stages); !found) return ExportResult{std::move(found)};
        PointLayerOptions options{c.indices, withProfiles, stages,
                                  ProvenanceJson(MakeProvenance({input}, StagesText(stages))),
                                  withProfiles && !IsStandardOutput(to)};
        return ExportPointLayer(to, source, options);
    });
}

int RunBands(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a CSV table of the reflectance each record gives in the bands of a satellite sensor: Sentinel-2A "
        "MSI (s2a) or Landsat 8 OLI (l8) by their published centres and widths, or the responses of a table "
        "(--srf: a wavelength column in nm and one column per band). A band with less than 99 % of its response "
        "inside 340..850 nm is left out unless --partial. With several data files, -o names a folder."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.csv"));
    const QCommandLineOption sensor(QStringLiteral("sensor"), QStringLiteral("s2a or l8"), QStringLiteral("NAME"));
    const QCommandLineOption srf(QStringLiteral("srf"), QStringLiteral("the bands' spectral responses as a CSV table"),
                                 QStringLiteral("TABLE.csv"));
    const QCommandLineOption partial(QStringLiteral("partial"),
                                     QStringLiteral("keep bands reaching past 850 nm, with a NAME_coverage column"));
    const StageOptions stageOptions = StageOptions::For(true, true, true);
    parser.addOptions({output, sensor, srf, partial});
    stageOptions.addTo(parser);
    Common c;
    const Status read = ReadCommon(parser, arguments, output, OutputKind::Text, nullptr, stageOptions, c);
    if (!read) return ExitStatus(read);
    BandTableOptions options{{}, c.stages};
    if (const Status checked = ChosenBands(parser, sensor, srf, parser.isSet(partial), options.bands); !checked)
        return ExitStatus(checked);
    return RunPerFile(c.paths, c.target, ".csv", [&](const auto& to, DataFileReader& source, const QString&) {
        BandTableOptions own = options;
        if (Status found = FileStages(c, source, own.stages); !found) return ExportResult{std::move(found)};
        return ExportBandTable(to, source, own);
    });
}

int RunLibrary(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes one ENVI spectral library of every record of the data files, in the order given: OUT.sli (float32, "
        "one spectrum of 511 values, 340..850 nm, per record), OUT.hdr (its ENVI header) and OUT.csv (one row of "
        "attributes per spectrum: time, position, indices, quality flags, WKT point)."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.sli"));
    const QCommandLineOption index = IndexOption();
    const StageOptions stageOptions = StageOptions::For(true, true, true);
    parser.addOptions({output, index});
    stageOptions.addTo(parser);
    Common c;
    const Status read = ReadCommon(parser, arguments, output, OutputKind::Binary, &index, stageOptions, c);
    if (!read) return ExitStatus(read);
    const LibraryFiles files = LibraryFileNames(c.target);
    std::vector<std::filesystem::path> inputs;
    for (const QString& path : c.paths) inputs.push_back(ToPath(path));
    if (const std::string refusal = LibraryRefusal(files, inputs); !refusal.empty()) {
        return Fail(QString::fromStdString(refusal));
    }
    std::vector<std::unique_ptr<DataFileReader>> readers;
    std::vector<DataFileReader*> sources;
    for (const QString& path : c.paths) {
        readers.push_back(std::make_unique<DataFileReader>());
        if (const Status checked = OpenDataFile(path, *readers.back()); !checked) return ExitStatus(checked);
        sources.push_back(readers.back().get());
    }
    LibraryOptions options{c.indices, c.stages, {}, {}};
    for (DataFileReader* source : sources) {
        RowStages& stages = options.sourceStages.emplace_back();
        if (const Status found = FileStages(c, *source, stages); !found) return FinishExport(ExportResult{found});
    }
    // Each file's own offset found or panel read is said with its name
    // where the files differ: the header is all a reader has to go by.
    std::string stagesText = StagesText(options.sourceStages.front());
    for (std::size_t i = 1; i < sources.size(); ++i) {
        if (StagesText(options.sourceStages[i]) == stagesText) continue;
        stagesText.clear();
        for (std::size_t k = 0; k < sources.size(); ++k) {
            stagesText += (k > 0 ? " | " : "") + PathText(sources[k]->path().filename()) + ": " +
                          StagesText(options.sourceStages[k]);
        }
        break;
    }
    options.description = ProvenanceText(MakeProvenance(c.paths, stagesText));
    return FinishExport(ExportSpectralLibrary(files, sources, options));
}

int RunNetcdf(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a NetCDF-4 file (CF-1.8 trajectory, ACDD-1.3) of every record of a data file: time, position, "
        "altitude, the scaled ch.1, ch.2 and reflectance spectra (340..850 nm), quality flags, the sun with "
        "--utc-offset, and the spectral indices. With several data files, -o names a folder."));
    AddFiles(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("OUT.nc"));
    const QCommandLineOption index = IndexOption();
    const StageOptions stageOptions = StageOptions::For(true, false, true);
    parser.addOptions({output, index});
    stageOptions.addTo(parser);
    Common c;
    const Status read = ReadCommon(parser, arguments, output, OutputKind::Binary, &index, stageOptions, c);
    if (!read) return ExitStatus(read);
    if (IsStandardOutput(c.target)) return UsageError(QStringLiteral("netcdf writes a file: name it with -o OUT.nc"));
    return RunPerFile(c.paths, c.target, ".nc", [&](const auto& to, DataFileReader& source, const QString& input) {
        NetcdfOptions options{c.indices, {}, ToPath(input).filename().string(), {}};
        if (Status found = FileStages(c, source, options.stages); !found) return ExportResult{std::move(found)};
        options.history = ProvenanceText(MakeProvenance({input}, StagesText(options.stages)));
        return ExportNetcdf(to, source, options);
    });
}

}  // namespace varnelo::cli
