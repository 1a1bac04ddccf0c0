#include "export/batch_outputs.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <system_error>

#include "io/atomic_file.h"

namespace varnelo {

bool NamesAnOutputFile(const std::filesystem::path& folder, std::string_view extension) {
    const std::string own = folder.extension().string();
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
            plan.refusal = at->second->string() + " and " + item.input.string() + " would both be written to " +
                           item.output.string() + "; nothing was written";
            return plan;
        }
        for (const std::filesystem::path& input : inputs) {
            if (SameFile(input, item.output)) {
                plan.refusal = item.output.string() + " is one of the data files being read; nothing was written";
                return plan;
            }
        }
    }
    return plan;
}

}  // namespace varnelo
