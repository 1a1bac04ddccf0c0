#pragma once
// Little-endian field access that is correct on any host: bytes are assembled
// explicitly, never reinterpreted in place, so neither the host's byte order
// nor its alignment rules matter.

#include <bit>
#include <cstdint>
#include <cstring>

namespace varnelo {

inline std::uint16_t ReadU16Le(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

inline std::uint32_t ReadU32Le(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline std::uint64_t ReadU64Le(const std::uint8_t* p) {
    return static_cast<std::uint64_t>(ReadU32Le(p)) | (static_cast<std::uint64_t>(ReadU32Le(p + 4)) << 32);
}

inline std::int16_t ReadI16Le(const std::uint8_t* p) { return static_cast<std::int16_t>(ReadU16Le(p)); }
inline std::int32_t ReadI32Le(const std::uint8_t* p) { return static_cast<std::int32_t>(ReadU32Le(p)); }
inline float ReadF32Le(const std::uint8_t* p) { return std::bit_cast<float>(ReadU32Le(p)); }
inline double ReadF64Le(const std::uint8_t* p) { return std::bit_cast<double>(ReadU64Le(p)); }

inline void WriteU16Le(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void WriteU32Le(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void WriteU64Le(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

inline void WriteI16Le(std::uint8_t* p, std::int16_t v) { WriteU16Le(p, static_cast<std::uint16_t>(v)); }
inline void WriteI32Le(std::uint8_t* p, std::int32_t v) { WriteU32Le(p, static_cast<std::uint32_t>(v)); }
inline void WriteF32Le(std::uint8_t* p, float v) { WriteU32Le(p, std::bit_cast<std::uint32_t>(v)); }
inline void WriteF64Le(std::uint8_t* p, double v) { WriteU64Le(p, std::bit_cast<std::uint64_t>(v)); }

}  // namespace varnelo
