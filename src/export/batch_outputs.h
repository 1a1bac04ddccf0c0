#pragma once
// Where the outputs of several data files go: into one folder, each named
// after its input with the output's extension ("day1.vrnldata" gives
// "day1.csv"). A batch is refused as a whole, before anything is written,
// when two inputs would get the same output or an output would replace one
// of the batch's own inputs.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace varnelo {

struct BatchItem {
    std::filesystem::path input;
    std::filesystem::path output;
};

struct BatchPlan {
    std::vector<BatchItem> items;  // in the order of the inputs
    std::string refusal;           // empty, or why nothing may be written
};

// Whether a batch's folder is named like one output file ("x.csv" for
// ".csv" outputs, any case) and is no folder yet: a slip for one input's
// output rather than a folder to create.
bool NamesAnOutputFile(const std::filesystem::path& folder, std::string_view extension);

// extension with its dot: ".csv".
BatchPlan PlanBatch(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder,
                    std::string_view extension);

}  // namespace varnelo
