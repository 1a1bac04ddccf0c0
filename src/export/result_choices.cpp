#include "export/result_choices.h"

#include "analysis/quality_flags.h"
#include "export/clock_offset.h"
#include "io/path_text.h"
#include "io/table_file.h"

namespace varnelo {

namespace {

using Field = ChoiceProblem::Field;

// The choices read, before any document is consulted; the offset only when given.
struct ReadChoices {
    RowStages stages;
    std::optional<std::vector<int>> panelRecords;
    ReflectanceArray certified{};
};

std::variant<ReadChoices, ChoiceProblem> Read(const ResultChoices& choices) {
    ReadChoices read;
    std::string error;
    if (choices.offset == ResultChoices::Offset::Given) {
        read.stages.utcOffset = ParseUtcOffset(choices.givenOffset, error);
        if (!read.stages.utcOffset) return ChoiceProblem{Field::Offset, error};
    }
    if (!choices.panelRecords.empty()) {
        read.panelRecords = ParsePanelList(choices.panelRecords, error);
        if (!read.panelRecords) return ChoiceProblem{Field::PanelRecords, error};
        const std::optional<ReflectanceArray> certified = ReadPanelReflectance(choices.panelReflectance, error);
        if (!certified) return ChoiceProblem{Field::PanelReflectance, error};
        read.certified = *certified;
    }
    const std::optional<double> zenith = ParseMaxZenith(choices.maxZenith, error);
    if (!zenith) return ChoiceProblem{Field::MaxZenith, error};
    read.stages.maxZenith = *zenith;
    const std::optional<float> saturation = ParseSaturation(choices.saturation, error);
    if (!saturation) return ChoiceProblem{Field::Saturation, error};
    read.stages.saturation = *saturation;
    return read;
}

}  // namespace

std::optional<ReflectanceArray> ReadPanelReflectance(std::string_view value, std::string& error) {
    if (std::optional<ReflectanceArray> factor = ParsePanelReflectance(value, {}, {}, false, error)) return factor;
    const std::filesystem::path path = PathOfText(value);
    std::string text;
    if (const Status opened = ReadTableFile(path, text); !opened) {
        error = "--panel-reflectance " + opened.detail;
        return std::nullopt;
    }
    std::optional<ReflectanceArray> table = ParsePanelReflectance(value, text, PathText(path), true, error);
    if (!table) error = "--panel-reflectance " + error;
    return table;
}

std::optional<ChoiceProblem> CheckChoices(const ResultChoices& choices) {
    const auto read = Read(choices);
    if (const auto* problem = std::get_if<ChoiceProblem>(&read)) return *problem;
    return std::nullopt;
}

std::variant<RowStages, ChoiceProblem> ResolveStages(const ResultChoices& choices, const CVarneloDoc& doc) {
    auto read = Read(choices);
    if (auto* problem = std::get_if<ChoiceProblem>(&read)) return *problem;
    ReadChoices& chosen = std::get<ReadChoices>(read);
    const int count = doc.recordCount();
    if (chosen.panelRecords) {
        if (!chosen.panelRecords->empty() && chosen.panelRecords->back() >= count) {
            return ChoiceProblem{Field::PanelRecords, "--panel names record " + std::to_string(chosen.panelRecords->back()) +
                                                          " but the data holds " + std::to_string(count) + " records"};
        }
        chosen.stages.panel = LoadPanelCalibration([&](int r) { return &doc.record(r); }, *chosen.panelRecords,
                                                   chosen.certified);
    }
    if (choices.offset == ResultChoices::Offset::Auto) {
        const OffsetFinding found = FindUtcOffset(DocumentRecords(doc));
        if (!found.minutes) return ChoiceProblem{Field::Offset, found.error};
        chosen.stages.utcOffset = found.minutes;
    }
    return chosen.stages;
}

RowStages ShownStages(const ResultChoices& choices, const CVarneloDoc& doc, int record) {
    const bool find = choices.offset == ResultChoices::Offset::Auto;
    ResultChoices others = choices;
    if (find) others.offset = ResultChoices::Offset::None;
    auto resolved = ResolveStages(others, doc);
    auto* stages = std::get_if<RowStages>(&resolved);
    if (stages == nullptr) return {};
    if (find && record >= 0 && record < doc.recordCount()) {
        stages->utcOffset = FindUtcOffset([&](const auto& each) {
                                each(record, doc.record(record));
                                return true;
                            }).minutes;
    }
    return std::move(*stages);
}

}  // namespace varnelo
