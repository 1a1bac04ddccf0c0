#pragma once
// The subcommands of varnelo-cli. Each takes its own arguments (the first
// being the command's name) and returns the process exit status.

#include <QStringList>

namespace varnelo::cli {

int RunSimulate(const QStringList& arguments);
int RunInfo(const QStringList& arguments);
int RunDownload(const QStringList& arguments);
int RunList(const QStringList& arguments);
int RunExport(const QStringList& arguments);
int RunPlot(const QStringList& arguments);
int RunTrack(const QStringList& arguments);
int RunUploadSensor(const QStringList& arguments);
int RunSensors(const QStringList& arguments);
int RunIndices(const QStringList& arguments);
int RunPoints(const QStringList& arguments);
int RunBands(const QStringList& arguments);
int RunLibrary(const QStringList& arguments);
int RunNetcdf(const QStringList& arguments);

}  // namespace varnelo::cli
