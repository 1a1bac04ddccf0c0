#include "simulator/logger_model.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "data/byte_order.h"

namespace varnelo {

namespace {

constexpr std::array<std::uint8_t, ACK_SIZE> ACK = {0x06, 0x00};
constexpr std::size_t DROPPED_BYTE_OFFSET = 1000;  // also where an extra byte goes in
constexpr std::uint8_t EXTRA_BYTE = 0x5A;

bool IsWriteCommand(std::uint8_t code) {
    return code == static_cast<std::uint8_t>(DeviceCommand::CMD_WRITE_DEVICE_INFO) ||
           code == static_cast<std::uint8_t>(DeviceCommand::CMD_SELECT_RECORD);
}

bool IsReadCommand(std::uint8_t code) {
    switch (static_cast<DeviceCommand>(code)) {
        case DeviceCommand::CMD_READ_IDENT_A:
        case DeviceCommand::CMD_READ_IDENT_B:
        case DeviceCommand::CMD_READ_DEVICE_INFO:
        case DeviceCommand::CMD_READ_PARAMETERS:
        case DeviceCommand::CMD_READ_RECORD:
        case DeviceCommand::CMD_READ_RECORD_COUNT: return true;
        default: return false;
    }
}

// The logger answers exactly the length asked for: its data first, zero
// bytes behind it when more was asked than it has.
void AppendExactly(std::span<const std::uint8_t> data, std::size_t length, std::vector<std::uint8_t>& out) {
    const std::size_t n = std::min(data.size(), length);
    out.insert(out.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
    out.resize(out.size() + (length - n), 0);
}

std::span<const std::uint8_t> TextBytes(const std::string& text) {
    // The NUL that ends the text is part of the answer.
    return {reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1};
}

}  // namespace

LoggerModel::LoggerModel(const SimulatorSettings& settings)
    : m_content(settings.records, settings.seed), m_faults(settings.faults), m_deviceInfo(m_content.deviceInfo()) {}

std::int32_t LoggerModel::reportedCount() const {
    return m_faults.reportedCount.value_or(m_content.recordCount());
}

void LoggerModel::receive(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& out) {
    m_input.insert(m_input.end(), bytes.begin(), bytes.end());
    std::size_t used = 0;
    while (used < m_input.size()) {
        const std::size_t n = execute(std::span(m_input).subspan(used), out);
        if (n == 0) break;
        used += n;
    }
    m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(used));
}

bool LoggerModel::spend(bool& used) const {
    if (used && !m_faults.persistent) return false;
    used = true;
    return true;
}

bool LoggerModel::strikes(int faultRecord, bool& used) const {
    return faultRecord >= 0 && m_selected == faultRecord && spend(used);
}

void LoggerModel::preload(int count) {
    count = std::clamp(count, 0, m_content.recordCount());
    m_preloaded.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) m_content.buildRecord(i, m_preloaded[static_cast<std::size_t>(i)]);
}

void LoggerModel::answerRecord(std::size_t length, std::vector<std::uint8_t>& out) {
    const MeasurementRecord* record = &m_scratch;
    if (m_selected >= 0 && static_cast<std::size_t>(m_selected) < m_preloaded.size()) {
        record = &m_preloaded[static_cast<std::size_t>(m_selected)];
    } else if (m_selected >= 0 && m_selected < m_content.recordCount()) {
        m_content.buildRecord(m_selected, m_scratch);
    } else {
        m_scratch.bytes.fill(0);  // nothing stored there
    }
    const std::size_t start = out.size();
    AppendExactly(record->bytes, length, out);
    ++m_recordReplies;
    if (strikes(m_faults.shortReplyAt, m_shortReplyUsed)) {
        out.resize(start + length / 2);
    } else if (strikes(m_faults.dropByteAt, m_dropByteUsed) && length > DROPPED_BYTE_OFFSET) {
        out.erase(out.begin() + static_cast<std::ptrdiff_t>(start + DROPPED_BYTE_OFFSET));
    } else if (strikes(m_faults.extraByteAt, m_extraByteUsed) && length > DROPPED_BYTE_OFFSET) {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(start + DROPPED_BYTE_OFFSET), EXTRA_BYTE);
    }
}

bool LoggerModel::skipsExchange(std::uint8_t code) {
    const int n = m_faults.silentAtExchange;
    return n >= 1 && n <= static_cast<int>(std::size(CONNECTION_EXCHANGES)) &&
           code == static_cast<std::uint8_t>(CONNECTION_EXCHANGES[n - 1]) && spend(m_exchangeSilenceUsed);
}

// The command that silences the logger is the first it leaves unanswered.
void LoggerModel::fallSilent() {
    m_silenceLeft = m_faults.silenceLength - 1;
    m_silent = m_faults.silenceLength != 1;
}

std::size_t LoggerModel::execute(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& out) {
    if (input.size() < HEADER_SIZE) return 0;
    const std::uint8_t code = input[0];
    // A header whose second byte is not zero means we are out of step:
    // skip a byte and look again.
    if (input[1] != 0) return 1;
    const std::size_t length = ReadU16Le(input.data() + 2);

    const bool write = IsWriteCommand(code);
    if (write && input.size() < HEADER_SIZE + length) return 0;
    const std::size_t used = write ? HEADER_SIZE + length : HEADER_SIZE;
    if (m_noting) {
        const bool select = code == static_cast<std::uint8_t>(DeviceCommand::CMD_SELECT_RECORD) &&
                            length >= RECORD_INDEX_SIZE;
        m_noted.push_back({code, select ? ReadI32Le(input.data() + HEADER_SIZE) : -1});
    }
    if (m_silent) {
        if (m_faults.silenceLength > 0 && --m_silenceLeft == 0) m_silent = false;
        return used;
    }

    if (write) {
        const auto payload = input.subspan(HEADER_SIZE, length);
        if (code == static_cast<std::uint8_t>(DeviceCommand::CMD_SELECT_RECORD)) {
            if (payload.size() >= RECORD_INDEX_SIZE) m_selected = ReadI32Le(payload.data());
            if (m_faults.silentFrom >= 0 && m_selected >= m_faults.silentFrom && spend(m_silenceUsed)) {
                fallSilent();
                return used;
            }
        } else {
            std::copy_n(payload.begin(), std::min(payload.size(), m_deviceInfo.bytes.size()), m_deviceInfo.bytes.begin());
        }
        out.insert(out.end(), ACK.begin(), ACK.end());
        return used;
    }
    if (!IsReadCommand(code) || skipsExchange(code)) return used;

    switch (static_cast<DeviceCommand>(code)) {
        case DeviceCommand::CMD_READ_IDENT_A: AppendExactly(TextBytes(m_content.identityA()), length, out); break;
        case DeviceCommand::CMD_READ_IDENT_B: AppendExactly(TextBytes(m_content.identityB()), length, out); break;
        case DeviceCommand::CMD_READ_DEVICE_INFO: AppendExactly(m_deviceInfo.bytes, length, out); break;
        case DeviceCommand::CMD_READ_PARAMETERS: AppendExactly(m_content.parameters().bytes, length, out); break;
        case DeviceCommand::CMD_READ_RECORD: answerRecord(length, out); break;
        case DeviceCommand::CMD_READ_RECORD_COUNT: {
            std::array<std::uint8_t, RECORD_COUNT_SIZE> count;
            WriteI32Le(count.data(), reportedCount());
            AppendExactly(count, length, out);
            break;
        }
        default: break;
    }
    return HEADER_SIZE;
}

}  // namespace varnelo
