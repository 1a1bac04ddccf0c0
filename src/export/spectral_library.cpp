#include "export/spectral_library.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unordered_set>

#include "export/clock_offset.h"
#include "export/export_text.h"
#include "export/ordered_batches.h"
#include "io/atomic_file.h"
#include "io/file_set.h"
#include "io/path_text.h"
#include "text/fixed_format.h"
#include "text/shortest_text.h"

namespace varnelo {

namespace {

constexpr std::string_view LIBRARY_LINE_END = "\r\n";
constexpr std::string_view UNNAMED_PREFIX = "record_";
constexpr std::string_view WKT_START = "POINT (";
constexpr std::size_t SPECTRUM_BYTES = SPECTRUM_LENGTH * sizeof(float);

// A table row without its name: ",first[,last,n],time,latitude,longitude,
// altitude", the indices, ",qc,POINT (lon lat)" and the line end.
constexpr std::size_t LibraryRowMax(std::size_t indices) {
    return 3 * (1 + INT32_TEXT_MAX) + 1 + OFFSET_ISO_TIME_MAX + 2 * (1 + DOUBLE_FIXED_TEXT_MAX) + 1 +
           SHORTEST_TEXT_MAX + indices * (1 + SHORTEST_TEXT_MAX) + 1 + QualityTextMax() + 1 + WKT_START.size() +
           2 * DOUBLE_FIXED_TEXT_MAX + 2 + LIBRARY_LINE_END.size() + 2 * (1 + DOUBLE_FIXED_TEXT_MAX);
}

// What one row is made as: the spectrum's bytes, the name it would have and
// "\n", and its table row.
constexpr std::size_t LibraryItemMax(std::size_t indices) {
    return SPECTRUM_BYTES + std::max(RECORD_ISO_TIME_MAX, UNNAMED_PREFIX.size() + INT32_TEXT_MAX) + 1 +
           LibraryRowMax(indices);
}

std::string ShortestOrEmpty(double value) {
    if (!std::isfinite(value)) return {};
    char text[SHORTEST_TEXT_MAX];
    return std::string(text, FormatShortest(text, value));
}

std::string FixedDecimals(double value, int decimals) {
    char text[DOUBLE_FIXED_TEXT_MAX + 1];
    return std::string(text, FormatFixed(text, value, decimals, 0));
}

// Names an ENVI list can hold: no comma or brace; each once.
class SpectrumNames {
public:
    std::string add(std::string name, int fallbackRecord) {
        if (name.empty()) name = "record_" + std::to_string(fallbackRecord);
        for (char& c : name) {
            if (c == ',' || c == '{' || c == '}') c = '_';
        }
        std::string unique = name;
        for (int k = 2; !m_taken.insert(unique).second; ++k) unique = name + "_" + std::to_string(k);
        m_names.push_back(unique);
        return unique;
    }
    const std::vector<std::string>& names() const { return m_names; }

private:
    std::unordered_set<std::string> m_taken;
    std::vector<std::string> m_names;
};

// A source's stages: its own, or those of all.
const RowStages& SourceStages(const LibraryOptions& options, std::size_t source) {
    return source < options.sourceStages.size() ? options.sourceStages[source] : options.stages;
}

std::string LibraryCsvHeader(const LibraryOptions& options, const RowStages& stages) {
    std::string line = "spectra names,";
    line += options.stages.grouping.on() ? "first,last,n" : "record";
    line += ",time,latitude (deg),longitude (deg),altitude (m)";
    for (const SpectralIndex& index : options.indices) {
        line += ',' + IndexName(index);
        if (const std::string_view unit = IndexUnit(index); !unit.empty()) line += " (" + std::string(unit) + ")";
    }
    if (stages.utcOffset) line += ",sun_zenith,sun_azimuth";
    return line + ",qc,wkt" + std::string(LIBRARY_LINE_END);
}

std::string LibraryCsvRow(const std::string& name, const ResultRow& row, const MeasurementRecord& first,
                   const LibraryOptions& options, const RowStages& stages) {
    std::string line = name + ',' + std::to_string(row.records.first);
    if (options.stages.grouping.on()) {
        line += ',' + std::to_string(row.records.last) + ',' + std::to_string(row.records.size());
    }
    line += ',' + ResultTime(first, stages.utcOffset) + ',';
    std::string wkt;
    if (row.position) {
        const std::string lat = FixedDecimals(row.position->latitude, export_text::POSITION_DECIMALS);
        const std::string lon = FixedDecimals(row.position->longitude, export_text::POSITION_DECIMALS);
        // A mean of the logger's float32 altitudes, shown as such.
        if (std::isfinite(row.altitude)) {
            char text[SHORTEST_TEXT_MAX];
            line += lat + ',' + lon + ',' + std::string(text, FormatShortest(text, static_cast<float>(row.altitude)));
        } else {
            line += lat + ',' + lon + ',';
        }
        wkt = std::string(WKT_START) + lon + ' ' + lat + ')';
    } else {
        line += ",,";
    }
    std::vector<IndexValue> values(options.indices.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = ComputeIndex(options.indices[i], row.reflectance);
        line += ',';
        if (values[i]) line += ShortestOrEmpty(*values[i]);
    }
    if (stages.utcOffset) {
        line += ',';
        if (row.sun) line += FixedDecimals(row.sun->zenith, 4) + ',' + FixedDecimals(row.sun->azimuth, 4);
        else line += ',';
    }
    line += ',' + QualityText(row.flags | RangeFlag(options.indices, values)) + ',' + wkt;
    return line + std::string(LIBRARY_LINE_END);
}

std::string LibraryHeader(const LibraryOptions& options, const std::vector<std::string>& names) {
    std::string text = "ENVI\ndescription = {" + options.description + "}\n";
    text += "samples = " + std::to_string(SPECTRUM_LENGTH) + "\n";
    text += "lines = " + std::to_string(names.size()) + "\n";
    text +=
        "bands = 1\nheader offset = 0\nfile type = ENVI Spectral Library\ndata type = 4\ninterleave = bsq\n"
        "byte order = 0\nwavelength units = Nanometers\nwavelength = {";
    for (int j = 0; j < SPECTRUM_LENGTH; ++j) {
        if (j > 0) text += ", ";
        text += std::to_string(WavelengthOfElement(j));
    }
    text += "}\nspectra names = {";
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += ", ";
        text += names[i];
    }
    return text + "}\n";
}

// float32 little-endian, whatever the machine's order; returns the end.
char* PutSpectrum(char* at, const ReflectanceArray& reflectance) {
    for (std::size_t j = 0; j < SPECTRUM_LENGTH; ++j) {
        std::uint32_t word = std::bit_cast<std::uint32_t>(static_cast<float>(reflectance[j]));
        if constexpr (std::endian::native == std::endian::big) {
            word = (word >> 24) | ((word >> 8) & 0xff00u) | ((word << 8) & 0xff0000u) | (word << 24);
        }
        std::memcpy(at + j * sizeof word, &word, sizeof word);
    }
    return at + SPECTRUM_BYTES;
}

}  // namespace

LibraryFiles LibraryFileNames(const std::filesystem::path& sli) {
    std::filesystem::path base = sli;
    if (base.extension() == ".sli") base.replace_extension();
    const auto with = [&base](const char* extension) {
        std::filesystem::path p = base;
        p += extension;
        return p;
    };
    return LibraryFiles{sli, with(".hdr"), with(".csv")};
}

std::string LibraryRefusal(const LibraryFiles& files, std::span<const std::filesystem::path> inputs) {
    for (const std::filesystem::path& input : inputs) {
        for (const std::filesystem::path* output : {&files.sli, &files.hdr, &files.csv}) {
            if (SameFile(input, *output)) {
                return PathText(*output) + " would replace the input " + PathText(input);
            }
        }
    }
    return {};
}

ExportResult ExportSpectralLibrary(const LibraryFiles& files, std::span<DataFileReader* const> sources,
                                   const LibraryOptions& options, const ExportProgress& progress) {
    AtomicFileWriter sli(files.sli), csv(files.csv), hdr(files.hdr);
    const auto failed = [](const AtomicFileWriter& w) { return ExportResult{w.status()}; };
    if (!sli.open()) return failed(sli);
    if (!csv.open()) return failed(csv);
    if (!hdr.open()) return failed(hdr);
    if (!csv.write(LibraryCsvHeader(options, SourceStages(options, 0)))) return failed(csv);
    SpectrumNames names;
    int written = 0, planned = 0;
    bool cancelled = false;
    for (std::size_t k = 0; k < sources.size(); ++k) {
        DataFileReader* const source = sources[k];
        const RowStages& stages = SourceStages(options, k);
        const RowMaker maker(stages, ElementMask().set(), true);
        FileBatches batches(*source);
        const std::optional<std::vector<RecordRange>> rows = PlanFileRows(batches, options.stages.grouping);
        if (!rows) return ExportResult::Failed(Status::Kind::OpenFailed, batches.unreadable(batches.count()));
        planned += static_cast<int>(rows->size());
        // Made on every core: a batch's spectra side by side, so that each
        // batch goes to the library in one write, then per row the name it
        // would have ("\n") and its table row without the name. The names
        // are made unique in order, as the rows are taken.
        const std::size_t itemMax = LibraryItemMax(options.indices.size());
        const std::size_t textMax = itemMax - SPECTRUM_BYTES;
        const std::size_t batchBytes = export_text::RECORDS_PER_BATCH * itemMax;
        const FormatBatch format = [&](std::size_t begin, std::size_t end, char* out) {
            char* spectrum = out;
            out += (end - begin) * SPECTRUM_BYTES;
            const export_text::BatchRoom room(out, batchBytes - (end - begin) * SPECTRUM_BYTES, end - begin, textMax,
                                              "a spectral library row");
            ReadRows(batches, *rows, begin, end, [&](const RecordRange& range, auto members, auto previous) {
                thread_local ResultRow row;
                maker.make(members, previous, range.first, row);
                spectrum = PutSpectrum(spectrum, row.reflectance);
                std::string name = RecordIsoTime(members.front());
                if (name.empty()) name = std::string(UNNAMED_PREFIX) + std::to_string(range.first);
                name += '\n';
                name += LibraryCsvRow({}, row, members.front(), options, stages);
                room.expect(name.size());
                out = room.line(out, [&](char* at) { return export_text::Append(at, name); });
            });
            return out;
        };
        std::string error;
        std::size_t taken = 0;
        const TakeBatch take = [&](std::string_view text, std::size_t done) {
            if (done > 0) error = batches.unreadable((*rows)[done - 1].last + 1);
            if (!error.empty()) return false;
            if (!sli.write(text.data(), (done - taken) * SPECTRUM_BYTES)) return false;
            text.remove_prefix((done - taken) * SPECTRUM_BYTES);
            for (; taken < done; ++taken) {
                const std::size_t nameEnd = text.find('\n');
                const std::size_t lineEnd = text.find(LIBRARY_LINE_END, nameEnd) + LIBRARY_LINE_END.size();
                if (!csv.write(names.add(std::string(text.substr(0, nameEnd)), (*rows)[taken].first)) ||
                    !csv.write(text.substr(nameEnd + 1, lineEnd - nameEnd - 1))) {
                    return false;
                }
                text.remove_prefix(lineEnd);
                ++written;
            }
            if (progress && !progress(written, planned)) cancelled = true;
            return !cancelled;
        };
        const BatchShape shape{rows->size(), export_text::RECORDS_PER_BATCH, batchBytes};
        if (!FormatInOrder(shape, format, take)) {
            if (cancelled) return ExportResult{Status::Stopped()};
            if (!error.empty()) return ExportResult::Failed(Status::Kind::Failed, error);
            return failed(sli.status() ? csv : sli);
        }
    }
    if (!hdr.write(LibraryHeader(options, names.names()))) return failed(hdr);
    // ENVI readers open the .sli through its .hdr: the header goes last.
    AtomicFileWriter* const data[] = {&sli, &csv};
    if (Status committed = CommitFileSet(data, hdr); !committed) return ExportResult{std::move(committed)};
    return {Status{}, written};
}

}  // namespace varnelo
