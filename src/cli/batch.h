#pragma once
// The commands that write one output per data file (export, track, indices,
// points) take several files: -o then names a folder, created if missing,
// and each output is named after its input. A file that fails is reported
// and the others still go; the batch fails if any did.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string_view>

#include "cli/cli_support.h"

namespace varnelo::cli {

// The data files named, one at least.
Status DataFiles(const QCommandLineParser& parser, QStringList& files);

// Writes one input to one output and returns the exit status, having said
// on stderr what failed.
using OneFile = std::function<int(const QString& input, const std::filesystem::path& output)>;

// For several inputs: `folder` is the -o value; outputs get `extension`
// (".csv"). Refuses standard output, name collisions and outputs that are
// inputs before anything is written.
int RunBatch(const QStringList& inputs, const std::filesystem::path& folder, std::string_view extension,
             const OneFile& one);

}  // namespace varnelo::cli
