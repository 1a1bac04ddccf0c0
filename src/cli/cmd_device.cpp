// simulate, info, download: the commands that talk to a logger.
#include <unistd.h>

#include <QCommandLineParser>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_support.h"
#include "cli/commands.h"
#include "text/number_text.h"
#include "data/data_file.h"
#include "data/data_file_append.h"
#include "data/data_file_reader.h"
#include "data/data_file_stream.h"
#include "data/device_info_block.h"
#include "device/connection.h"
#include "launch/logger_options.h"
#include "launch/path_text.h"
#include "session/logger_session.h"
#include "simulator/pty_server.h"
#include "io/path_text.h"

namespace varnelo::cli {

namespace {

constexpr auto PROGRESS_INTERVAL = std::chrono::milliseconds(100);

void WarnCountHeld(const LoggerState& state) {
    if (state.countRead && state.reportedCount != state.recordCount) {
        Warn("the logger reports " + std::to_string(state.reportedCount) + " records; " +
             std::to_string(state.recordCount) + " are read (0.." + std::to_string(RECORD_CAPACITY) + " fit)");
    }
}

// ---- download progress -----------------------------------------------------

// A one-line bar on a terminal, redrawn at most every PROGRESS_INTERVAL.
class ProgressBar {
public:
    explicit ProgressBar(bool shown) : m_shown(shown), m_start(std::chrono::steady_clock::now()) {}

    void update(int done, int total, bool last) {
        if (!m_shown || total <= 0) return;
        const auto now = std::chrono::steady_clock::now();
        if (!last && now - m_lastDraw < PROGRESS_INTERVAL) return;
        m_lastDraw = now;
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        const double rate = seconds > 0 ? done / seconds : 0.0;
        const int width = 30;
        const int filled = static_cast<int>(static_cast<long long>(width) * done / total);
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.resize(width, '.');
        std::string line = "\r[" + bar + "] " + std::to_string(done) + "/" + std::to_string(total) + " records  " +
                           FixedText(rate, 0, 0) + " rec/s  " + FixedText(rate * BLOCK_SIZE / 1e6, 0, 1) + " MB/s";
        if (rate > 0 && done < total) {
            const auto left = static_cast<long long>((total - done) / rate + 0.5);
            line += "  " + std::to_string(left / 60) + ":" + (left % 60 < 10 ? "0" : "") + std::to_string(left % 60) +
                    " left";
        }
        line += "   ";
        std::fputs(line.c_str(), stderr);
        if (last) std::fputs("\n", stderr);
        std::fflush(stderr);
    }

private:
    bool m_shown;
    std::chrono::steady_clock::time_point m_start;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// ---- simulate ----------------------------------------------------------------

volatile std::sig_atomic_t g_stopServing = 0;

extern "C" void StopServing(int) { g_stopServing = 1; }

void CatchStopSignals(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

// ---- download ------------------------------------------------------------------

volatile std::sig_atomic_t g_stopDownload = 0;

extern "C" void StopDownload(int) { g_stopDownload = 1; }

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Steps the job back to back; Ctrl+C stops it between two steps as a fault
// would. `each` sees every step.
SessionStep RunJob(LoggerSession& logger, const std::function<void(const SessionStep&)>& each) {
    g_stopDownload = 0;
    CatchStopSignals(StopDownload);
    ProgressBar progress(::isatty(STDERR_FILENO) == 1);
    SessionStep step;
    while (logger.busy()) {
        step = g_stopDownload ? logger.stop() : logger.step();
        each(step);
        if (step.kind == SessionStep::Kind::Record || step.kind == SessionStep::Kind::Completed)
            progress.update(step.done, step.total, !logger.busy());
    }
    return step;
}

// "download interrupted" or "download stopped at record 7: …".
std::string WhatStopped(const SessionStep& step) {
    return step.cancelled ? "download interrupted" : "download stopped at " + DescribeStop(step);
}

// ---- download --append ------------------------------------------------------------

const char* const FULL_DOWNLOAD_HINT = "; run a full download into a new file instead: varnelo-cli download -o NEW.vrnldata";

Status AppendNewRecords(LockedDataFile& file, const CVarneloDoc& doc) {
    const int kept = file.count();
    const AppendResult result = file.append(doc, doc.recordCount());
    if (result.status && result.overwrittenBytes > 0) {
        Warn(std::to_string(result.overwrittenBytes) + " trailing bytes after record " + std::to_string(kept - 1) +
             " were overwritten");
    }
    return result.status;
}

// The logger's new records after those of an existing data file. The file
// keeps its own parameter block and records; the session here only stages
// what the rule needs: the file's last record at its place, then the new
// records after it.
int RunAppend(const QCommandLineParser& parser, const std::filesystem::path& path) {
    const std::string name = PathText(path);
    const bool keepPartial = parser.isSet("keep-partial");
    if (const Status appendable = CheckAppendable(path); !appendable)
        return Fail(Text("cannot add records to " + appendable.detail));
    // Locked before its count and last record are read, until the new records are in.
    LockedDataFile file;
    if (const Status opened = file.open(path); !opened)
        return Fail(file.busy() ? Text(opened.detail + "; nothing appended") : DescribeFileError(opened));
    const int kept = file.count();
    if (kept == 0) return Fail(Text("nothing appended to " + name + ": " + DescribeRefusal(AppendRefusal::NoRecords, 0, 0) + FULL_DOWNLOAD_HINT));

    CliLogger cli(parser, false);
    if (!cli.status) return ExitStatus(cli.status);
    CVarneloDoc& doc = cli.session.doc();
    if (file.read(kept - 1, 1, &doc.record(kept - 1)) != 1)
        return Fail(Text("cannot open " + name + ": record " + std::to_string(kept - 1) + " cannot be read"));
    doc.setRecordCount(kept);
    // The append connects, and reads the logger's count then.
    LoggerSession& logger = *cli.logger;
    const JobStart start = logger.startAppend(keepPartial);
    if (!start.delay) return Fail(Text(cli.Unreached(start.refused.connect) + "; nothing appended to " + name));
    const SessionStep step = RunJob(logger, [](const SessionStep&) {});

    const int appended = doc.recordCount() - kept;
    const std::string inAll = " (" + std::to_string(doc.recordCount()) + " in all)";
    switch (step.kind) {
        case SessionStep::Kind::Refused:
            if (step.refusal == AppendRefusal::NoNewRecords) {
                // Nothing went wrong: the file is up to date.
                Print("no new records" + inAll);
                return 0;
            }
            return Fail(Text("nothing appended to " + name + ": " +
                             DescribeRefusal(step.refusal, kept, logger.state()->recordCount) + FULL_DOWNLOAD_HINT));
        case SessionStep::Kind::NotConnected: return Fail(Text(step.connect.detail + "; nothing appended to " + name));
        case SessionStep::Kind::Stopped:
            if (appended == 0) {
                const std::string keepHint = step.done > 0 && !keepPartial ? " (--keep-partial keeps the " +
                                                                                 std::to_string(step.done) +
                                                                                 " complete new records)"
                                                                           : "";
                return Fail(Text(WhatStopped(step) + "; nothing appended to " + name + keepHint));
            }
            if (const Status written = AppendNewRecords(file, doc); !written) return Fail(DescribeFileError(written));
            return Fail(Text(WhatStopped(step) + "; the " + std::to_string(appended) +
                             " complete new records were appended to " + name + inAll));
        case SessionStep::Kind::Completed: break;
        default: return Fail(Text("nothing appended to " + name));
    }
    if (const Status written = AppendNewRecords(file, doc); !written) return Fail(DescribeFileError(written));
    Print(std::to_string(appended) + " new records" + inAll);
    return 0;
}

}  // namespace

int RunSimulate(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Serves a simulated logger on a pseudo-terminal until killed; prints \"PORT <path>\"."));
    AddSimulatorOptions(parser);
    parser.addOptions({
        {"link", "also reach the terminal through a symlink at PATH", "PATH"},
        {"pace", "a slow logger: wait MS milliseconds before each record reply", "MS"},
        {"wire-log", "write each command that arrives to FILE, one line each (\"140 7\", \"16\")", "FILE"},
    });
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = NoPositional(parser); !checked) return ExitStatus(checked);
    QString usageError;
    const auto settings = SimulatorFromOptions(parser, usageError);
    std::optional<long long> pace;
    if (!settings || !IntOption(parser, "pace", 0, 60000, pace, usageError)) return UsageError(usageError);

    PtyServerOptions options;
    options.linkPath = PathBytesOfText(parser.value("link")).toStdString();
    options.pace = std::chrono::milliseconds(pace.value_or(0));
    options.wireLogPath = PathBytesOfText(parser.value("wire-log")).toStdString();
    LoggerModel model(*settings);
    model.preload(RECORD_CAPACITY);
    PtyServer server;
    std::string error;
    if (!server.open(options, error)) return Fail(QString::fromStdString(error));

    CatchStopSignals(StopServing);

    std::fprintf(stdout, "PORT %s\n", server.portPath().c_str());
    std::fflush(stdout);
    if (!server.serve(model, g_stopServing, error)) return Fail(QString::fromStdString(error));
    return 0;
}

int RunInfo(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Connects to the logger and prints its identity, record count, device information and "
                       "parameters."));
    AddLoggerOptions(parser);
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = NoPositional(parser); !checked) return ExitStatus(checked);

    CliLogger cli(parser, true);
    if (!cli.status) return ExitStatus(cli.status);
    const LoggerState& state = *cli.logger->state();
    const std::string& port = cli.logger->portName();
    WarnCountHeld(state);

    if (state.identityRead) Print("identity: " + state.identityLabel);
    Print("port: " + port);
    if (state.countRead) Print("records on the logger: " + std::to_string(state.recordCount));
    if (state.deviceInfoRead) {
        for (int channel = 0; channel < 2; ++channel) {
            const std::string ch = "ch." + std::to_string(channel + 1);
            Print(ch + " sensor: " + SensorName(state.deviceInfo, channel));
            std::string line = ch + " coefficients:";
            for (double c : SensorCoefficients(state.deviceInfo, channel)) {
                line += ' ';
                line += ScientificText(c);
            }
            Print(line);
        }
    }
    if (state.parametersRead) {
        const ParameterBlock& p = state.parameters;
        Print("exposure: ch.1 " + std::to_string(p.exp_ch1()) + "  ch.2 " + std::to_string(p.exp_ch2()));
        Print("battery: batc " + FixedText(p.batc(), 0, 3) + "  batv " + FixedText(p.batv(), 0, 3));
    }
    if (state.failures.empty()) return 0;
    const bool silent = !state.identityRead && !state.countRead && !state.deviceInfoRead && !state.parametersRead;
    if (silent) return Fail(QString::fromStdString("the logger on " + port + " does not answer: " +
                                                   state.failures.front().detail));
    // What was read is shown; what was not makes the command fail.
    std::string failures;
    for (const Status& failure : state.failures) {
        if (!failures.empty()) failures += "; ";
        failures += failure.detail;
    }
    return Fail(QString::fromStdString("cannot read everything from the logger on " + port + ": " +
                                       failures));
}

int RunDownload(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Downloads every record of the logger into a data file."));
    AddLoggerOptions(parser);
    const QCommandLineOption output = OutputOption(QStringLiteral("FILE.vrnldata"));
    parser.addOptions({
        output,
        {"append", "only the records FILE lacks, after a check that its last record is the logger's; FILE is "
                   "extended", "FILE.vrnldata"},
        {"keep-partial", "if the download stops (a fault, or Ctrl+C), save the records completed so far"},
    });
    std::filesystem::path path;
    if (const Status checked = Parse(parser, arguments); !checked) return ExitStatus(checked);
    if (const Status checked = NoPositional(parser); !checked) return ExitStatus(checked);
    if (parser.isSet("append")) {
        if (parser.isSet(output)) return UsageError(QStringLiteral("--append names the file to extend; leave out -o"));
        const QString file = parser.value("append");
        if (file.isEmpty()) return UsageError(QStringLiteral("name the data file to extend with --append FILE.vrnldata"));
        return RunAppend(parser, ToPath(file));
    }
    if (const Status checked = OutputPath(parser, output, OutputKind::Binary, path); !checked)
        return ExitStatus(checked);

    CliLogger cli(parser, true);
    if (!cli.status) return ExitStatus(cli.status);
    LoggerSession& logger = *cli.logger;
    // The count decides what is read: without it there is nothing to download.
    if (!cli.report) return Fail(Text(cli.report.detail));
    const LoggerState& state = *logger.state();
    // The session refuses a logger whose parameter block did not come: the
    // file needs it, and a zeroed one would be a lie.
    const JobStart start = logger.startDownload();
    if (!start.delay) return Fail(Text(start.refused.connect.detail));
    for (const Status& failure : state.failures) Warn(failure.detail);
    WarnCountHeld(state);

    CVarneloDoc& doc = cli.session.doc();
    const bool keepPartial = parser.isSet("keep-partial");
    // The file is written while the logger prepares the next records, from
    // the first record on, when the document has taken the logger's blocks.
    std::unique_ptr<DataFileStream> file;
    const SessionStep step = RunJob(logger, [&](const SessionStep& each) {
        if (each.kind == SessionStep::Kind::Record && each.first)
            file = std::make_unique<DataFileStream>(path, doc, each.total);
        if (file) file->advance(doc.recordCount());
    });
    if (step.kind == SessionStep::Kind::NotConnected)
        return Fail(Text(step.connect.detail + "; nothing saved"));

    const bool stopped = step.kind == SessionStep::Kind::Stopped;
    if (stopped) {
        // An unfinished stream leaves whatever was there before alone.
        file.reset();
        if (doc.recordCount() == 0)
            return Fail(Text(WhatStopped(step) + "; nothing saved, no record was complete"));
        if (!keepPartial)
            return Fail(Text(WhatStopped(step) + "; nothing saved (--keep-partial keeps the " +
                             std::to_string(doc.recordCount()) + " complete records)"));
        if (const Status saved = SaveDataFile(path, doc); !saved) return Fail(DescribeFileError(saved));
        return Fail(Text(WhatStopped(step) + "; the " + std::to_string(doc.recordCount()) +
                         " complete records were saved to " + PathText(path)));
    }
    if (!file) {
        // The logger holds no record: a file of its blocks and none.
        AdoptLoggerBlocks(state, doc);
        doc.setRecordCount(0);
        if (const Status saved = SaveDataFile(path, doc); !saved) return Fail(DescribeFileError(saved));
    } else if (const Status finished = file->finish(); !finished) {
        return Fail(DescribeFileError(finished));
    }
    Print(std::to_string(doc.recordCount()) + " records saved to " + PathText(path));
    return 0;
}

}  // namespace varnelo::cli
