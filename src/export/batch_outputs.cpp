#include "export/batch_outputs.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

#include "io/atomic_file.h"
#include "io/path_text.h"

namespace varnelo {

bool NamesAnOutputFile(const std::filesystem::path& folder, std::string_view extension) {
    const std::string own = PathText(folder.extension());
    const auto lower = [](unsigned char c) { return std::tolower(c); };
    if (own.size() != extension.size() ||
        !std::equal(own.begin(), own.end(), extension.begin(), [&](char a, char b) { return lower(a) == lower(b); }))
        return false;
    std::error_code error;
    return !std::filesystem::is_directory(folder, error);
}

BatchPlan PlanBatch(const std::vector<std::filesystem::path>& inputs, const std::filesystem::path& folder,
                    std::string_view extension) {
    BatchPlan plan;
    std::map<std::filesystem::path, const std::filesystem::path*> taken;
    for (const std::filesystem::path& input : inputs) {
        std::filesystem::path name = input.filename();
        name.replace_extension(extension);
        plan.items.push_back(BatchItem{input, folder / name});
    }
    for (const BatchItem& item : plan.items) {
        const auto [at, isNew] = taken.emplace(item.output.filename(), &item.input);
        if (!isNew) {
            plan.refusal = PathText(*at->second) + " and " + PathText(item.input) + " would both be written to " +
                           PathText(item.output) + "; nothing was written";
            return plan;
        }
        for (const std::filesystem::path& input : inputs) {
            if (SameFile(input, item.output)) {
                plan.refusal = PathText(item.output) + " is one of the data files being read; nothing was written";
                return plan;
            }
        }
    }
    return plan;
}

}  // namespace varnelo
