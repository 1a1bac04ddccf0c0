#include "netcdf/chunk_compressor.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>

namespace varnelo {

namespace {

// The shuffle filter's layout: byte k of every value, then byte k + 1, so
// that the slowly changing sign and exponent bytes sit side by side.
void Shuffle(std::span<const float> values, unsigned char* out) {
    const std::size_t n = values.size();
    const auto* in = reinterpret_cast<const unsigned char*>(values.data());
    unsigned char* const lane[sizeof(float)] = {out, out + n, out + 2 * n, out + 3 * n};
    for (std::size_t i = 0; i < n; ++i, in += sizeof(float)) {
        lane[0][i] = in[0];
        lane[1][i] = in[1];
        lane[2][i] = in[2];
        lane[3][i] = in[3];
    }
}

// Deflate is the second filter of the pipeline.
constexpr std::uint32_t DEFLATE_SKIPPED = 1u << 1;

// The low mantissa bytes of measured values are noise that deflate cannot
// shrink, yet searching them for matches is most of its time. A byte lane
// whose bytes are this close to evenly spread (at most 4 % to gain by
// coding them) is stored as it is instead.
constexpr double STORE_ABOVE_BITS = 7.7;

// Bits per byte of the lane's byte frequencies, from every eighth byte:
// close enough to decide, for an eighth of the work.
double SampledEntropy(const unsigned char* lane, std::size_t n) {
    std::array<unsigned, 256> counts{};
    std::size_t samples = 0;
    for (std::size_t i = 0; i < n; i += 8, ++samples) ++counts[lane[i]];
    double bits = 0;
    for (const unsigned c : counts) {
        if (c == 0) continue;
        const double p = static_cast<double>(c) / static_cast<double>(samples);
        bits -= p * std::log2(p);
    }
    return bits;
}

// A deflate stream's blocks, written least significant bit first as the
// format packs them, into room that may run out (then full()).
class BlockWriter {
public:
    BlockWriter(unsigned char* out, unsigned char* end) : m_out(out), m_end(end) {}

    void put(std::uint32_t bits, int count) {
        m_bits |= std::uint64_t{bits} << m_count;
        for (m_count += count; m_count >= 8; m_count -= 8, m_bits >>= 8) byte(static_cast<unsigned char>(m_bits));
    }
    // Huffman codes go most significant bit first.
    void code(std::uint32_t code, int length) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
        put(reversed, length);
    }
    // Stored blocks of `n` bytes (none: only the header, which ends on a byte).
    void stored(const unsigned char* data, std::size_t n, bool final) {
        do {
            const std::size_t piece = std::min<std::size_t>(n, 0xffff);
            n -= piece;
            put(final && n == 0 ? 1 : 0, 3);
            if (m_count > 0) put(0, 8 - m_count);
            const auto length = static_cast<std::uint16_t>(piece);
            for (const std::uint16_t v : {length, static_cast<std::uint16_t>(~length)}) {
                byte(static_cast<unsigned char>(v));
                byte(static_cast<unsigned char>(v >> 8));
            }
            if (m_full || piece > static_cast<std::size_t>(m_end - m_out)) {
                m_full = true;
                return;
            }
            if (piece == 0) return;
            std::memcpy(m_out, data, piece);
            m_out += piece;
            data += piece;
        } while (n > 0);
    }
    // `n` bytes of `value` as one block of the fixed codes: the value, then
    // copies of the byte before at distance 1 (distance code 0, five bits).
    void repeat(unsigned char value, std::size_t n) {
        put(0b010, 3);  // not final, fixed codes
        literal(value);
        std::size_t left = n - 1;
        for (; left >= 258; left -= 258) {
            code(0xc5, 8);  // symbol 285: length 258
            code(0, 5);
        }
        for (; left >= 3; left -= std::min<std::size_t>(left, 10)) {
            code(static_cast<std::uint32_t>(std::min<std::size_t>(left, 10) - 2), 7);  // symbols 257..264: lengths 3..10
            code(0, 5);
        }
        for (; left > 0; --left) literal(value);
        code(0, 7);  // end of block
    }
    bool aligned() const { return m_count == 0; }
    bool full() const { return m_full; }
    unsigned char* end() const { return m_out; }

private:
    void literal(unsigned char v) { v < 144 ? code(0x30u + v, 8) : code(0x190u + (v - 144u), 9); }
    void byte(unsigned char b) {
        if (m_out == m_end) {
            m_full = true;
        } else {
            *m_out++ = b;
        }
    }

    unsigned char* m_out;
    unsigned char* const m_end;
    std::uint64_t m_bits = 0;
    int m_count = 0;
    bool m_full = false;
};

}  // namespace

ChunkCompressor::ChunkCompressor(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (!m_compressor) throw std::bad_alloc();
}

ChunkCompressor::~ChunkCompressor() { libdeflate_free_compressor(m_compressor); }

ChunkCompressor::Chunk ChunkCompressor::compress(std::span<const float> values, unsigned char* out) {
    const std::size_t bytes = values.size_bytes();
    m_shuffled.resize(bytes);
    Shuffle(values, m_shuffled.data());
    if (const std::size_t size = deflate(values.size(), out, bytes)) return {size, 0};
    std::memcpy(out, m_shuffled.data(), bytes);
    return {bytes, DEFLATE_SKIPPED};
}

// One zlib stream: the leading byte lanes that are one repeated byte or
// noise as blocks of their own, then deflate of the rest from the first
// lane worth it (a stream has one last block, which deflate writes), or an
// empty last block. Zero when it does not fit in `room`.
std::size_t ChunkCompressor::deflate(std::size_t n, unsigned char* out, std::size_t room) {
    if (room < 6) return 0;
    out[0] = 0x78;  // deflate, 32 KiB window
    out[1] = 0x01;  // the fastest level; the header's check bits
    BlockWriter blocks(out + 2, out + room);
    const unsigned char* lane = m_shuffled.data();
    std::size_t k = 0;
    for (; k < sizeof(float); ++k, lane += n) {
        if (std::all_of(lane, lane + n, [&](unsigned char b) { return b == lane[0]; })) {
            blocks.repeat(lane[0], n);
        } else if (SampledEntropy(lane, n) >= STORE_ABOVE_BITS) {
            blocks.stored(lane, n, false);
        } else {
            break;
        }
    }
    if (k == sizeof(float) || !blocks.aligned()) blocks.stored(nullptr, 0, k == sizeof(float));
    if (blocks.full()) return 0;
    unsigned char* at = blocks.end();
    if (k < sizeof(float)) {
        const std::size_t size = libdeflate_deflate_compress(m_compressor, lane, (sizeof(float) - k) * n, at,
                                                             static_cast<std::size_t>(out + room - at));
        if (size == 0) return 0;
        at += size;
    }
    if (out + room - at < 4) return 0;
    const std::uint32_t adler = libdeflate_adler32(1, m_shuffled.data(), sizeof(float) * n);
    for (int shift = 24; shift >= 0; shift -= 8) *at++ = static_cast<unsigned char>(adler >> shift);
    return static_cast<std::size_t>(at - out);
}

}  // namespace varnelo
