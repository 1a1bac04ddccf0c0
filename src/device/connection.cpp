#include "device/connection.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "data/byte_order.h"
#include "device/device_link.h"
#include "device/port_match.h"

namespace varnelo {

namespace {

struct IdentityRead {
    std::string text;
    Status result;
};

// The buffer starts zeroed and a failed read gives the empty text, so the
// label never shows bytes left over from a broken reply.
IdentityRead ReadIdentity(ByteLink& link, DeviceCommand code, std::size_t n) {
    std::vector<std::uint8_t> buffer(n, 0);
    IdentityRead read{{}, Request(link, code, buffer.data(), n)};
    if (read.result) {
        const auto* text = reinterpret_cast<const char*>(buffer.data());
        read.text.assign(text, std::find(text, text + n, '\0'));
    }
    return read;
}

}  // namespace

std::string ReadIdentityText(ByteLink& link, DeviceCommand code, std::size_t n) {
    return ReadIdentity(link, code, n).text;
}

std::string CountLabel(int done, int total) {
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%5d/%5d", done, total);
    return std::string(text, static_cast<std::size_t>(n));
}

int HoldRecordCount(std::int32_t reported) { return std::clamp<std::int32_t>(reported, 0, RECORD_CAPACITY); }

void AdoptLoggerBlocks(const LoggerState& state, CVarneloDoc& doc) {
    if (state.deviceInfoRead) doc.deviceInfo() = state.deviceInfo;
    if (state.parametersRead) doc.parameterBlock() = state.parameters;
}

LoggerState ReadLoggerState(ByteLink& link, std::string_view portName, CVarneloDoc& doc) {
    LoggerState state = ReadLoggerState(link, portName);
    AdoptLoggerBlocks(state, doc);
    return state;
}

Status ReadRecordCount(ByteLink& link, LoggerState& state) {
    std::array<std::uint8_t, RECORD_COUNT_SIZE> count{};
    Status read = Request(link, DeviceCommand::CMD_READ_RECORD_COUNT, count.data(), count.size());
    if (!read) return read;
    state.reportedCount = ReadI32Le(count.data());
    state.recordCount = HoldRecordCount(state.reportedCount);
    state.countRead = true;
    state.countLabel = CountLabel(0, state.recordCount);
    return read;
}

namespace {

bool NothingArrived(const Status& result) { return result.kind == Status::Kind::ReplyShort && result.done == 0; }

}  // namespace

LoggerState ReadLoggerState(ByteLink& link, std::string_view portName) {
    LoggerState state;
    // Every exchange is made even after one went unanswered: a logger that
    // does not answer one identity request can still be downloaded. Only a
    // port that has gone ends it at once, since every exchange would fail.
    auto exchange = [&](DeviceCommand code, const auto& run) {
        if (link.gone()) {
            state.failures.push_back(ExchangeStatus(code, Status::Kind::PortGone));
            return false;
        }
        const Status result = run();
        if (!result) {
            state.failures.push_back(result);
            // Late bytes of the unanswered reply would shift the next one.
            if (!link.gone()) link.discardInput();
        }
        return result.ok();
    };
    auto request = [&](DeviceCommand code, std::uint8_t* reply, std::size_t n) {
        return exchange(code, [&] { return Request(link, code, reply, n); });
    };
    auto identity = [&](DeviceCommand code, std::size_t n, bool& answered) {
        IdentityRead read;
        answered = exchange(code, [&] {
            read = ReadIdentity(link, code, n);
            return read.result;
        });
        return read.text;
    };

    // B goes out before A.
    bool identBRead = false;
    bool identARead = false;
    const std::string identB = identity(DeviceCommand::CMD_READ_IDENT_B, IDENT_B_SIZE, identBRead);
    const std::string identA = identity(DeviceCommand::CMD_READ_IDENT_A, IDENT_A_SIZE, identARead);
    state.identityRead = identARead && identBRead;
    state.identityLabel = identA + " " + identB + "(" + PortText(portName) + ")";
    state.countLabel = CountLabel(0, 0);
    // Two requests that got no byte at all: nobody is there, and three more
    // would only keep the user waiting another six seconds to hear it.
    state.silent = state.failures.size() == 2 && NothingArrived(state.failures[0]) && NothingArrived(state.failures[1]);
    if (state.silent) return state;
    state.deviceInfoRead = request(DeviceCommand::CMD_READ_DEVICE_INFO, state.deviceInfo.bytes.data(), DEVICE_INFO_SIZE);
    state.parametersRead = request(DeviceCommand::CMD_READ_PARAMETERS, state.parameters.bytes.data(), BLOCK_SIZE);
    exchange(DeviceCommand::CMD_READ_RECORD_COUNT, [&] { return ReadRecordCount(link, state); });
    return state;
}

LoggerConnection ConnectLink(std::unique_ptr<ByteLink> link, std::string portName, CVarneloDoc* doc) {
    LoggerConnection connection{std::move(link), std::move(portName), {}};
    connection.state = ReadLoggerState(*connection.link, connection.portName);
    if (doc != nullptr) AdoptLoggerBlocks(connection.state, *doc);
    return connection;
}

ConnectOutcome ConnectToPort(PortCatalog& catalog, const std::string& portName, CVarneloDoc* doc) {
    OpenedPort opened = catalog.open(portName);
    if (!opened.link) return {std::nullopt, std::move(opened.status)};
    return {ConnectLink(std::move(opened.link), portName, doc), {}};
}

ConnectOutcome Connect(PortCatalog& catalog, CVarneloDoc* doc) {
    const std::vector<PortEntry> devices = catalog.ports();
    const std::vector<std::string> candidates = LoggerPortCandidates(devices);
    if (candidates.empty()) {
        Status none{Status::Kind::NoLogger, "no logger found: none of the " + std::to_string(devices.size()) +
                                                " serial ports has the USB id " + std::string(LOGGER_HARDWARE_ID)};
        none.portsSeen = static_cast<int>(devices.size());
        return {std::nullopt, std::move(none)};
    }
    std::optional<ConnectOutcome> first;
    for (const std::string& name : candidates) {
        ConnectOutcome outcome = ConnectToPort(catalog, name, doc);
        if (outcome.connection) return outcome;
        if (!first) first = std::move(outcome);
    }
    first->status.detail = "the logger was found but its port cannot be opened: " + first->status.detail;
    return std::move(*first);
}

}  // namespace varnelo
