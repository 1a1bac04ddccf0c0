#include "netcdf/chunk_compressor.h"

#include <libdeflate.h>

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

}  // namespace

ChunkCompressor::ChunkCompressor(int level) : m_compressor(libdeflate_alloc_compressor(level)) {
    if (!m_compressor) throw std::bad_alloc();
}

ChunkCompressor::~ChunkCompressor() { libdeflate_free_compressor(m_compressor); }

ChunkCompressor::Chunk ChunkCompressor::compress(std::span<const float> values, unsigned char* out) {
    const std::size_t bytes = values.size_bytes();
    m_shuffled.resize(bytes);
    Shuffle(values, m_shuffled.data());
    if (const std::size_t size = libdeflate_zlib_compress(m_compressor, m_shuffled.data(), bytes, out, bytes))
        return {size, 0};
    std::memcpy(out, m_shuffled.data(), bytes);
    return {bytes, DEFLATE_SKIPPED};
}

}  // namespace varnelo
