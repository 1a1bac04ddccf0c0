#pragma once
// Finding the logger and reading what is needed before any download: the two
// identity texts, the device information block, the parameter block and the
// record count, in that order on the wire (commands 2, 0, 6, 8, 18).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/document.h"
#include "device/byte_link.h"
#include "device/command.h"
#include "device/device_link.h"
#include "device/port_catalog.h"

namespace varnelo {

// What the connection learnt, the logger's own blocks included: they stay
// the logger's (the settings dialog shows them, an upload starts from them)
// while the document may hold a file's blocks.
struct LoggerState {
    // True when the first two exchanges got no byte at all: the rest were
    // not tried, since a logger that is not there would cost two seconds each.
    bool silent = false;
    std::string identityLabel;       // A, " ", B, "(", "(port)", ")"
    std::int32_t reportedCount = 0;  // as the logger sent it; 0 when the read failed
    int recordCount = 0;             // reportedCount held to 0..RECORD_CAPACITY: the download length
    std::string countLabel;          // "%5d/%5d" of 0 and recordCount
    bool identityRead = false;       // both identity texts
    bool deviceInfoRead = false;
    bool parametersRead = false;
    bool countRead = false;
    std::vector<Status> failures;  // each failed exchange
    DeviceInfoBlock deviceInfo{};       // zero bytes where the read failed
    ParameterBlock parameters{};
};

struct LoggerConnection {
    std::unique_ptr<ByteLink> link;
    std::string portName;
    LoggerState state;
};

// A connection, or why there is none.
struct ConnectOutcome {
    std::optional<LoggerConnection> connection;
    // Without a connection: NoLogger (with the serial ports discovery looked
    // at, portsSeen) or PortUnavailable (as the port's OpenedPort says);
    // what failed, in English, naming the port, as detail.
    Status status;
};

// The text of a Request of n bytes up to its first NUL; empty when the read fails.
std::string ReadIdentityText(ByteLink& link, DeviceCommand code, std::size_t n);

// "%5d/%5d" of done and total: "    0/  250".
std::string CountLabel(int done, int total);

// The logger's count held to what the document can take: negative gives 0,
// more than RECORD_CAPACITY gives RECORD_CAPACITY.
int HoldRecordCount(std::int32_t reported);

// The blocks the connection read become the document's: a new document, or
// one whose records a download is about to replace. A block whose read
// failed leaves the document's as it was.
void AdoptLoggerBlocks(const LoggerState& state, CVarneloDoc& doc);

// Asks the logger how many records it holds (command 18) and keeps the
// answer in state; a failed read leaves the state as it was.
Status ReadRecordCount(ByteLink& link, LoggerState& state);

// Runs the connection exchanges on an open link. Without a document the
// blocks stay in the state alone, and nothing of a document changes even
// when the logger fails half way.
LoggerState ReadLoggerState(ByteLink& link, std::string_view portName);
LoggerState ReadLoggerState(ByteLink& link, std::string_view portName, CVarneloDoc& doc);

// Discovery: only ports whose USB ids are the logger's are opened, in natural
// order; the first that opens is used.
ConnectOutcome Connect(PortCatalog& catalog, CVarneloDoc* doc = nullptr);
inline ConnectOutcome Connect(PortCatalog& catalog, CVarneloDoc& doc) { return Connect(catalog, &doc); }

// An explicit port, opened whatever discovery would say of it.
ConnectOutcome ConnectToPort(PortCatalog& catalog, const std::string& portName, CVarneloDoc* doc = nullptr);
inline ConnectOutcome ConnectToPort(PortCatalog& catalog, const std::string& portName, CVarneloDoc& doc) {
    return ConnectToPort(catalog, portName, &doc);
}

// An already open link, such as the in-process simulated logger.
LoggerConnection ConnectLink(std::unique_ptr<ByteLink> link, std::string portName, CVarneloDoc* doc = nullptr);
inline LoggerConnection ConnectLink(std::unique_ptr<ByteLink> link, std::string portName, CVarneloDoc& doc) {
    return ConnectLink(std::move(link), std::move(portName), &doc);
}

}  // namespace varnelo
