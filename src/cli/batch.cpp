#include "cli/batch.h"

#include <system_error>
#include <vector>

#include "io/atomic_file.h"
#include "export/batch_outputs.h"
#include "launch/path_text.h"

namespace varnelo::cli {

Status DataFiles(const QCommandLineParser& parser, QStringList& files) {
    files = parser.positionalArguments();
    if (files.isEmpty()) return UsageStatus(QStringLiteral("expected one data file or more, got 0 arguments"));
    return {};
}

int RunBatch(const QStringList& inputs, const std::filesystem::path& folder, std::string_view extension,
             const OneFile& one) {
    if (IsStandardOutput(folder)) {
        return UsageError(QStringLiteral("%1 data files need a folder for -o, not standard output").arg(inputs.size()));
    }
    if (NamesAnOutputFile(folder, extension)) {
        return UsageError(QStringLiteral("-o %1 names a file, but %2 inputs need a folder")
                              .arg(FromPath(folder))
                              .arg(inputs.size()));
    }
    std::vector<std::filesystem::path> paths;
    for (const QString& input : inputs) paths.push_back(ToPath(input));
    const BatchPlan plan = PlanBatch(paths, folder, extension);
    if (!plan.refusal.empty()) return Fail(QString::fromStdString(plan.refusal));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        return Fail(QStringLiteral("cannot create the folder %1: %2")
                        .arg(FromPath(folder), QString::fromStdString(error.message())));
    }
    QStringList failed;
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (one(inputs[i], plan.items[static_cast<std::size_t>(i)].output) != 0) failed << inputs[i];
    }
    if (failed.isEmpty()) return 0;
    return Fail(QStringLiteral("%1 of %2 data files failed: %3").arg(failed.size()).arg(inputs.size()).arg(failed.join(", ")));
}

}  // namespace varnelo::cli
