#pragma once
// A ByteLink that plays back scripted replies and records every call, so
// tests can check the exact bytes and the order of writes and reads.

#include <cstdint>
#include <deque>
#include <limits>
#include <vector>

#include "device/byte_link.h"

namespace varnelo::test {

class FakeLink : public ByteLink {
public:
    struct Call {
        enum class Kind { Write, Read, Discard } kind;
        std::vector<std::uint8_t> bytes;  // Write: the frame
        std::size_t requested = 0;        // Read: bytes asked for
        Deadline deadline{};
    };

    // Bytes the next reads deliver, in order; a read takes what is there.
    void queueReply(const std::vector<std::uint8_t>& bytes) { m_replies.insert(m_replies.end(), bytes.begin(), bytes.end()); }
    // The next write reports only this many bytes written.
    void limitNextWrite(std::size_t n) { m_writeLimit = n; }

    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        m_calls.push_back({Call::Kind::Write, {bytes.begin(), bytes.end()}, 0, deadline});
        const std::size_t n = std::min(bytes.size(), m_writeLimit);
        m_writeLimit = std::numeric_limits<std::size_t>::max();
        return n;
    }

    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
        m_calls.push_back({Call::Kind::Read, {}, n, deadline});
        std::size_t got = 0;
        while (got < n && !m_replies.empty()) {
            buffer[got++] = m_replies.front();
            m_replies.pop_front();
        }
        return got;
    }

    void discardInput() override {
        m_calls.push_back({Call::Kind::Discard, {}, 0, {}});
        m_replies.clear();
    }

    const std::vector<Call>& calls() const { return m_calls; }
    std::vector<std::vector<std::uint8_t>> writes() const {
        std::vector<std::vector<std::uint8_t>> frames;
        for (const Call& c : m_calls) {
            if (c.kind == Call::Kind::Write) frames.push_back(c.bytes);
        }
        return frames;
    }

private:
    std::deque<std::uint8_t> m_replies;
    std::size_t m_writeLimit = std::numeric_limits<std::size_t>::max();
    std::vector<Call> m_calls;
};

}  // namespace varnelo::test

namespace varnelo::test {

// Passes everything through to another link and notes each frame written
// and each discard, in order.
class TapLink : public ByteLink {
public:
    explicit TapLink(ByteLink& inner) : m_inner(inner) {}
    std::size_t write(std::span<const std::uint8_t> bytes, Deadline deadline) override {
        events.emplace_back(bytes.begin(), bytes.end());
        return m_inner.write(bytes, deadline);
    }
    std::size_t read(std::uint8_t* buffer, std::size_t n, Deadline deadline) override {
        return m_inner.read(buffer, n, deadline);
    }
    void discardInput() override {
        events.push_back({});  // an empty event marks a discard
        m_inner.discardInput();
    }
    bool inputPending() override { return m_inner.inputPending(); }
    bool gone() const override { return m_inner.gone(); }

    std::vector<std::vector<std::uint8_t>> events;

private:
    ByteLink& m_inner;
};

}  // namespace varnelo::test
