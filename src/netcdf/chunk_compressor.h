#pragma once
// A chunk of floats as HDF5's shuffle and deflate filters (in that order)
// leave it on the disk, made on any thread so that every core compresses
// while one thread writes the chunks with H5Dwrite_chunk. Readers undo it
// with the two filters the file records, which every HDF5 build has.
//
// libdeflate at level 1 is two to three times as fast as zlib's, and its
// zlib-format output is what the deflate filter inflates.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

struct libdeflate_compressor;

namespace varnelo {

class ChunkCompressor {
public:
    explicit ChunkCompressor(int level);
    ~ChunkCompressor();
    ChunkCompressor(const ChunkCompressor&) = delete;
    ChunkCompressor& operator=(const ChunkCompressor&) = delete;

    struct Chunk {
        std::size_t size = 0;
        std::uint32_t filterMask = 0;  // as H5Dwrite_chunk takes it
    };

    // `values` into `out`, which has room for as many bytes as they have:
    // a chunk deflate would not make smaller is stored only shuffled, with
    // deflate marked as skipped, as HDF5's own filter leaves it.
    Chunk compress(std::span<const float> values, unsigned char* out);

private:
    std::size_t deflate(std::size_t n, unsigned char* out, std::size_t room);

    libdeflate_compressor* m_compressor;
    std::vector<unsigned char> m_shuffled;
};

}  // namespace varnelo
