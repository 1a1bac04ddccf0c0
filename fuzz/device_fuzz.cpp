// The connection and a whole download over a link whose every answer comes
// from the fuzzer: replies of any length, short or long, silence, a port
// that goes away, writes that stall. Whatever it answers:
//   - only well-formed frames of the eight commands go out, with deadlines
//     no later than one exchange timeout ahead;
//   - the count used lies in 0..15000, and each record is tried at most twice;
//   - every record the document counts is exactly the last complete reply
//     that came for it, and the count never takes in a broken one.
//
// Input layout, read from the front: each write takes one control byte
// (below 0xF8: the whole frame goes out; otherwise only control & 7 bytes).
// Each read takes one control byte:
//   below 0xE0  the reply: as many of the following bytes as were asked for
//   0xE0-0xEF   a short reply: the next byte scales how many of them come
//   0xF0-0xF7   silence
//   0xF8-0xFB   the port goes away
//   0xFC-0xFF   the reply, then one byte nobody asked for
// When the input runs out the logger is silent.
#include <algorithm>
#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <span>
#include <vector>

#include "data/byte_order.h"
#include "device/connection.h"
#include "device/device_link.h"
#include "session/logger_session.h"
#include "fuzz_check.h"

namespace {

using namespace varnelo;
using Bytes = std::vector<std::uint8_t>;

// What the logger's side saw, kept apart from the link: a session drops a
// link it finds gone and connects again, and the checks come after.
struct Seen {
    std::map<std::int32_t, Bytes> completeReplies;  // the last whole, clean reply to command 16 per record
    std::map<std::int32_t, int> selections;        // how often each record was selected
};

class FuzzLink : public ByteLink {
public:
    explicit FuzzLink(std::span<const std::uint8_t> input) : m_input(input) {}

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        checkDeadline(deadline);
        checkFrame(bytes);
        if (m_gone) return 0;
        const std::uint8_t control = next();
        return control < 0xF8 ? bytes.size() : std::min<std::size_t>(bytes.size(), control & 7);
    }

    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
        checkDeadline(deadline);
        FUZZ_EXPECT(n >= 1 && n <= MAX_EXCHANGE_LENGTH);
        if (m_gone || m_position >= m_input.size()) return 0;
        const std::uint8_t control = next();
        std::size_t wanted = n;
        if (control >= 0xF8 && control <= 0xFB) {
            m_gone = true;
            return 0;
        }
        if (control >= 0xF0 && control <= 0xF7) return 0;
        if (control >= 0xE0 && control <= 0xEF) wanted = n * next() / 256;
        const std::size_t got = std::min(wanted, m_input.size() - m_position);
        std::copy_n(m_input.begin() + static_cast<std::ptrdiff_t>(m_position), got, buffer);
        m_position += got;
        m_surplus = control >= 0xFC && got == n;
        if (got == n && m_lastCode == static_cast<std::uint8_t>(DeviceCommand::CMD_READ_RECORD) && n == BLOCK_SIZE &&
            !m_surplus) {
            seen->completeReplies[m_selected] = Bytes(buffer, buffer + n);
        }
        return got;
    }

    void discardInput() override { m_surplus = false; }
    bool inputPending() override { return m_surplus; }
    bool gone() const override { return m_gone; }

    const std::shared_ptr<Seen> seen = std::make_shared<Seen>();

private:
    std::uint8_t next() { return m_position < m_input.size() ? m_input[m_position++] : 0xF0; }

    static void checkDeadline(Deadline deadline) {
        FUZZ_EXPECT(deadline <= LinkClock::now() + EXCHANGE_TIMEOUT);
    }

    void checkFrame(std::span<const std::uint8_t> frame) {
        FUZZ_EXPECT(frame.size() >= HEADER_SIZE && frame[1] == 0);
        const std::uint16_t length = ReadU16Le(frame.data() + 2);
        const auto code = static_cast<DeviceCommand>(frame[0]);
        switch (code) {
            case DeviceCommand::CMD_SELECT_RECORD:
                FUZZ_EXPECT(length == RECORD_INDEX_SIZE && frame.size() == HEADER_SIZE + RECORD_INDEX_SIZE);
                m_selected = ReadI32Le(frame.data() + HEADER_SIZE);
                FUZZ_EXPECT(m_selected >= 0 && m_selected < RECORD_CAPACITY);
                ++seen->selections[m_selected];
                break;
            case DeviceCommand::CMD_WRITE_DEVICE_INFO:
                FUZZ_EXPECT(length == DEVICE_INFO_SIZE && frame.size() == HEADER_SIZE + DEVICE_INFO_SIZE);
                break;
            case DeviceCommand::CMD_READ_IDENT_A: FUZZ_EXPECT(length == IDENT_A_SIZE); break;
            case DeviceCommand::CMD_READ_IDENT_B: FUZZ_EXPECT(length == IDENT_B_SIZE); break;
            case DeviceCommand::CMD_READ_DEVICE_INFO: FUZZ_EXPECT(length == DEVICE_INFO_SIZE); break;
            case DeviceCommand::CMD_READ_PARAMETERS:
            case DeviceCommand::CMD_READ_RECORD: FUZZ_EXPECT(length == BLOCK_SIZE); break;
            case DeviceCommand::CMD_READ_RECORD_COUNT: FUZZ_EXPECT(length == RECORD_COUNT_SIZE); break;
            default: FUZZ_EXPECT(!"a command outside the protocol");
        }
        if (code != DeviceCommand::CMD_SELECT_RECORD && code != DeviceCommand::CMD_WRITE_DEVICE_INFO) {
            FUZZ_EXPECT(frame.size() == HEADER_SIZE);
        }
        m_lastCode = frame[0];
    }

    std::span<const std::uint8_t> m_input;
    std::size_t m_position = 0;
    bool m_gone = false;
    bool m_surplus = false;
    std::uint8_t m_lastCode = 0;
    std::int32_t m_selected = -1;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto doc = std::make_unique<CVarneloDoc>();
    FuzzLink link(std::span(data, size));
    const LoggerState state = ReadLoggerState(link, "FUZZ", *doc);
    FUZZ_EXPECT(state.recordCount >= 0 && state.recordCount <= RECORD_CAPACITY);
    FUZZ_EXPECT(state.recordCount == HoldRecordCount(state.reportedCount));
    FUZZ_EXPECT(state.identityLabel.find('\0') == std::string::npos);

    // The same replies once more, now through the session's download.
    Session session;
    auto owned = std::make_unique<FuzzLink>(std::span(data, size));
    const std::shared_ptr<const Seen> seen = owned->seen;
    LoggerSession logger(session, ConnectOnce(std::move(owned), "FUZZ"));
    (void)logger.connect();
    const LoggerState& connected = *logger.state();
    FUZZ_EXPECT(connected.recordCount == state.recordCount);
    int steps = 0;
    SessionStep step;
    if (logger.startDownload().delay) {
        while (logger.busy()) {
            step = logger.step();
            FUZZ_EXPECT(++steps <= state.recordCount + 1);
            FUZZ_EXPECT(step.done <= step.total && step.total == state.recordCount);
        }
    }
    const CVarneloDoc& downloaded = session.doc();
    const int count = downloaded.recordCount();
    if (step.kind == SessionStep::Kind::Completed) {
        FUZZ_EXPECT(count == state.recordCount);
    } else if (step.kind == SessionStep::Kind::Stopped) {
        FUZZ_EXPECT(count == step.record);
    }
    for (int i = 0; i < count; ++i) {
        const auto reply = seen->completeReplies.find(i);
        FUZZ_EXPECT(reply != seen->completeReplies.end());
        FUZZ_EXPECT(std::equal(reply->second.begin(), reply->second.end(), downloaded.record(i).bytes.begin()));
    }
    for (const auto& [record, times] : seen->selections) FUZZ_EXPECT(times <= 2);

    // An upload of the device information after whatever happened.
    AssignSensor(doc->deviceInfo(), static_cast<int>(size % 2), "FUZZ", {1, 2, 3, 4, 5, 6});
    (void)Send(link, DeviceCommand::CMD_WRITE_DEVICE_INFO, doc->deviceInfo().bytes);
    return 0;
}
