#pragma once
// The switches that say which logger to talk to, the same for varnelo and
// varnelo-cli: --sim with the simulated logger's own switches, else an
// explicit --port (or the VARNELO_PORT environment variable), else discovery
// by the logger's USB id.

#include <QCommandLineParser>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "data/document.h"
#include "device/connection.h"
#include "simulator/logger_model.h"

namespace varnelo {

class LinkInterrupt;
class SimulatedLink;

// The simulated logger's content and fault switches.
void AddSimulatorOptions(QCommandLineParser& parser);
// --port, --sim, --trace, --trace-full and the simulator's switches.
void AddLoggerOptions(QCommandLineParser& parser);

// A whole-number option within low..high; an unset option leaves value empty.
// On a bad value returns false with error set.
bool IntOption(const QCommandLineParser& parser, const QString& name, long long low, long long high,
               std::optional<long long>& value, QString& error);

std::optional<SimulatorSettings> SimulatorFromOptions(const QCommandLineParser& parser, QString& error);

struct LoggerChoice {
    enum class Kind { Discover, Port, Simulated };
    Kind kind = Kind::Discover;
    QString port;                   // Port
    SimulatorSettings simulator;    // Simulated
    QString trace;                  // a file that every exchange is written to; empty: none
    bool traceFull = false;         // every byte of every exchange, not one line per exchange
    // Says once why the trace stopped; the connection and download go on
    // without it. Unset: the line goes to standard error.
    std::function<void(const std::string&)> traceStopped;
    // Cuts every wait of the links short once raised; none: waits run to their deadline.
    std::shared_ptr<const LinkInterrupt> interrupt;
    // Told of each simulated logger as it is connected to, on the thread
    // that connects (tests reach its cable and memory through it).
    std::function<void(SimulatedLink&)> simulatorOpened;
};

// On contradicting or bad switches returns nothing, with error set.
std::optional<LoggerChoice> LoggerChoiceFromOptions(const QCommandLineParser& parser, QString& error);

// Connects as chosen; the simulated logger is reached in-process. With a
// document, the blocks the connection read become the document's. With a
// trace, every exchange is appended to its file; a trace that cannot be
// written is reported through traceStopped and changes nothing else.
ConnectOutcome ConnectAsChosen(const LoggerChoice& choice, CVarneloDoc* doc);
inline ConnectOutcome ConnectAsChosen(const LoggerChoice& choice, CVarneloDoc& doc) {
    return ConnectAsChosen(choice, &doc);
}

}  // namespace varnelo
