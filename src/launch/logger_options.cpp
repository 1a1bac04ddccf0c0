#include "launch/logger_options.h"

#include <QCoreApplication>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>

#include "device/interruptible_link.h"
#include "device/port_path.h"
#include "device/qt_port_catalog.h"
#include "device/tracing_link.h"
#include "launch/path_text.h"
#include "simulator/simulated_link.h"
#include "text/message_text.h"

namespace varnelo {

namespace {

constexpr long long MAX_SIMULATED_RECORDS = 1000000;

}  // namespace

void AddSimulatorOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {"records", "simulated logger: number of stored records (default 200)", "N"},
        {"seed", "simulated logger: seed of its content (default 1)", "S"},
        {"silent-from", "fault: answer nothing once record K is selected, until the port is opened again", "K"},
        {"silent-for", "fault: a silent logger answers again after leaving N commands unanswered", "N"},
        {"silent-at-exchange", "fault: leave connection exchange N unanswered (1 identity B, 2 identity A, "
                               "3 device information, 4 parameters, 5 record count)", "N"},
        {"short-reply", "fault: the reply of record K stops halfway", "K"},
        {"drop-byte", "fault: the reply of record K lacks one byte", "K"},
        {"extra-byte", "fault: the reply of record K has one byte too many", "K"},
        {"persistent-faults", "fault: every fault strikes each time, not only the first"},
        {"report-count", "fault: command 18 reports N instead of the true count", "N"},
    });
}

void AddLoggerOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {"port", "the logger's serial port (a name or a path); also VARNELO_PORT. Default: find it by its USB id",
         "PATH"},
        {"sim", "the built-in simulated logger instead of a port"},
        {"trace", "append every exchange with the logger to FILE, one line each with its time, for a bug report",
         "FILE"},
        {"trace-full", "with --trace: write every byte of every exchange as a hex dump"},
    });
    AddSimulatorOptions(parser);
}

bool IntOption(const QCommandLineParser& parser, const QString& name, long long low, long long high,
               std::optional<long long>& value, QString& error) {
    if (!parser.isSet(name)) return true;
    bool ok = false;
    const long long v = parser.value(name).toLongLong(&ok);
    if (!ok || v < low || v > high) {
        error = QStringLiteral("--%1 must be a whole number in %2..%3, not %4")
                    .arg(name)
                    .arg(low)
                    .arg(high)
                    .arg(QString::fromStdString(QuotedValue(PathBytesOfText(parser.value(name)).toStdString())));
        return false;
    }
    value = v;
    return true;
}

std::optional<SimulatorSettings> SimulatorFromOptions(const QCommandLineParser& parser, QString& error) {
    SimulatorSettings settings;
    std::optional<long long> records, seed, silent, silenceLength, silentExchange, shortReply, dropByte, extraByte, reported;
    if (!IntOption(parser, "records", 0, MAX_SIMULATED_RECORDS, records, error) ||
        !IntOption(parser, "seed", 0, 0xFFFFFFFFll, seed, error) ||
        !IntOption(parser, "silent-from", 0, MAX_SIMULATED_RECORDS, silent, error) ||
        !IntOption(parser, "silent-for", 1, MAX_SIMULATED_RECORDS, silenceLength, error) ||
        !IntOption(parser, "silent-at-exchange", 1, static_cast<long long>(std::size(CONNECTION_EXCHANGES)),
                   silentExchange, error) ||
        !IntOption(parser, "short-reply", 0, MAX_SIMULATED_RECORDS, shortReply, error) ||
        !IntOption(parser, "drop-byte", 0, MAX_SIMULATED_RECORDS, dropByte, error) ||
        !IntOption(parser, "extra-byte", 0, MAX_SIMULATED_RECORDS, extraByte, error) ||
        !IntOption(parser, "report-count", INT32_MIN, INT32_MAX, reported, error)) {
        return std::nullopt;
    }
    if (records) settings.records = static_cast<int>(*records);
    if (seed) settings.seed = static_cast<std::uint32_t>(*seed);
    if (silent) settings.faults.silentFrom = static_cast<int>(*silent);
    if (silenceLength) settings.faults.silenceLength = static_cast<int>(*silenceLength);
    if (silentExchange) settings.faults.silentAtExchange = static_cast<int>(*silentExchange);
    if (shortReply) settings.faults.shortReplyAt = static_cast<int>(*shortReply);
    if (dropByte) settings.faults.dropByteAt = static_cast<int>(*dropByte);
    if (extraByte) settings.faults.extraByteAt = static_cast<int>(*extraByte);
    if (reported) settings.faults.reportedCount = static_cast<std::int32_t>(*reported);
    settings.faults.persistent = parser.isSet("persistent-faults");
    return settings;
}

std::optional<LoggerChoice> LoggerChoiceFromOptions(const QCommandLineParser& parser, QString& error) {
    if (parser.isSet("sim") && parser.isSet("port")) {
        error = QStringLiteral("--sim and --port exclude each other");
        return std::nullopt;
    }
    LoggerChoice choice;
    if (parser.isSet("trace-full") && !parser.isSet("trace")) {
        error = QStringLiteral("--trace-full needs --trace FILE");
        return std::nullopt;
    }
    choice.trace = parser.value("trace");
    choice.traceFull = parser.isSet("trace-full");
    if (parser.isSet("sim")) {
        const auto settings = SimulatorFromOptions(parser, error);
        if (!settings) return std::nullopt;
        choice.kind = LoggerChoice::Kind::Simulated;
        choice.simulator = *settings;
        return choice;
    }
    choice.port = parser.value("port");
    if (choice.port.isEmpty()) choice.port = EnvironmentPath("VARNELO_PORT");
    choice.kind = choice.port.isEmpty() ? LoggerChoice::Kind::Discover : LoggerChoice::Kind::Port;
    return choice;
}

ConnectOutcome ConnectAsChosen(const LoggerChoice& choice, CVarneloDoc* doc) {
    QtPortCatalog qtPorts;
    // Innermost, so that the trace still sees each exchange's read as one.
    InterruptibleCatalog interruptible(qtPorts, choice.interrupt);
    PortCatalog& ports = choice.interrupt ? static_cast<PortCatalog&>(interruptible) : qtPorts;
    std::shared_ptr<TraceFile> trace;
    if (!choice.trace.isEmpty()) {
        TraceFile::StopReport report = choice.traceStopped;
        if (!report) {
            report = [](const std::string& line) {
                std::fprintf(stderr, "%s: warning: %s\n",
                             QCoreApplication::applicationName().toLocal8Bit().constData(), line.c_str());
            };
        }
        trace = std::make_shared<TraceFile>(ToPath(choice.trace), std::move(report));
    }
    const TraceForm form = choice.traceFull ? TraceForm::Full : TraceForm::Short;
    TracingCatalog traced(ports, trace, form);
    PortCatalog& catalog = trace ? static_cast<PortCatalog&>(traced) : ports;
    switch (choice.kind) {
        case LoggerChoice::Kind::Simulated: {
            auto simulated = std::make_unique<SimulatedLink>(choice.simulator);
            if (choice.simulatorOpened) choice.simulatorOpened(*simulated);
            std::unique_ptr<ByteLink> link = std::move(simulated);
            if (choice.interrupt) link = std::make_unique<InterruptibleLink>(std::move(link), choice.interrupt);
            if (trace) link = std::make_unique<TracingLink>(std::move(link), trace, SIMULATED_PORT_NAME, form);
            return {ConnectLink(std::move(link), SIMULATED_PORT_NAME, doc), {}};
        }
        case LoggerChoice::Kind::Port: return ConnectToPort(catalog, PortToOpen(PathBytesOfText(choice.port).toStdString()), doc);
        case LoggerChoice::Kind::Discover: break;
    }
    return Connect(catalog, doc);
}

}  // namespace varnelo
