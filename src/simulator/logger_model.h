#pragma once
// The simulated logger's behaviour on the wire: it takes the PC's bytes in
// whatever pieces they arrive, answers each complete command exactly as the
// real logger does, and can be told to misbehave in the ways tests need.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "data/device_info_block.h"
#include "data/measurement_record.h"
#include "device/command.h"
#include "simulator/simulated_content.h"

namespace varnelo {

// The connection's exchanges in the order they go out: identity B, identity
// A, device information, parameter block, record count.
inline constexpr DeviceCommand CONNECTION_EXCHANGES[] = {
    DeviceCommand::CMD_READ_IDENT_B, DeviceCommand::CMD_READ_IDENT_A, DeviceCommand::CMD_READ_DEVICE_INFO,
    DeviceCommand::CMD_READ_PARAMETERS, DeviceCommand::CMD_READ_RECORD_COUNT,
};

// Each fault strikes once unless persistent. A logger that fell silent
// answers again after silenceLength commands, or once its port has been
// closed and opened again.
struct FaultPlan {
    int silentFrom = -1;        // once this record (or a later one) is selected, nothing is answered
    int silenceLength = 0;      // commands a silent logger leaves unanswered; 0: all of them
    int silentAtExchange = -1;  // this connection exchange (1..5, as above) goes unanswered
    int shortReplyAt = -1;      // the reply carrying this record stops halfway
    int dropByteAt = -1;        // the reply carrying this record lacks one byte
    int extraByteAt = -1;       // the reply carrying this record has one byte too many
    bool persistent = false;    // the faults strike every time, not only the first
    std::optional<std::int32_t> reportedCount;  // what command 18 reports instead of the true count
};

struct SimulatorSettings {
    int records = 200;
    std::uint32_t seed = 1;
    FaultPlan faults;
};

// One command as it arrived: its code, and for a record selection the index.
struct WireCommand {
    std::uint8_t code = 0;
    std::int32_t index = -1;
};

class LoggerModel {
public:
    explicit LoggerModel(const SimulatorSettings& settings);

    // Bytes from the PC; the answers to every command they complete are appended to out.
    void receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out);

    // Builds the first `count` records ahead of time, as a real logger holds
    // them in its memory, so that answering costs no generation time.
    void preload(int count);

    // The port was closed: a half-received command is forgotten, and a
    // logger that fell silent answers the next client.
    void clientLeft() {
        m_input.clear();
        m_silent = false;
    }

    // Every command that arrives is noted, answered or not, once asked for:
    // what went over the wire, for tests and benchmarks.
    void noteCommands(bool on) { m_noting = on; }
    std::vector<WireCommand> takeNotedCommands() { return std::exchange(m_noted, {}); }

    // The logger went on measuring, or was cleared: command 18 reports this
    // from now on (nothing: the true count).
    void reportCount(std::optional<std::int32_t> count) { m_faults.reportedCount = count; }

    const SimulatedContent& content() const { return m_content; }
    const DeviceInfoBlock& deviceInfo() const { return m_deviceInfo; }  // as last written with command 139
    std::int32_t reportedCount() const;
    int recordReplies() const { return m_recordReplies; }  // replies to command 16 so far
    bool silent() const { return m_silent; }

private:
    // Returns the bytes the command consumed, or 0 when more must arrive first.
    std::size_t execute(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out);
    void answerRecord(std::size_t length, std::vector<std::uint8_t>& out);
    bool strikes(int faultRecord, bool& used) const;
    void fallSilent();
    bool skipsExchange(std::uint8_t code);
    bool spend(bool& used) const;

    SimulatedContent m_content;
    FaultPlan m_faults;
    DeviceInfoBlock m_deviceInfo;
    std::vector<std::uint8_t> m_input;
    std::int32_t m_selected = 0;
    bool m_silent = false;
    int m_silenceLeft = 0;  // commands until a silence of silenceLength ends
    bool m_silenceUsed = false;
    bool m_exchangeSilenceUsed = false;
    bool m_shortReplyUsed = false;
    bool m_dropByteUsed = false;
    bool m_extraByteUsed = false;
    int m_recordReplies = 0;
    MeasurementRecord m_scratch{};
    std::vector<MeasurementRecord> m_preloaded;
    bool m_noting = false;
    std::vector<WireCommand> m_noted;
};

}  // namespace varnelo
