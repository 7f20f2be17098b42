#pragma once
// Little-endian numbers in file images: every file the program writes stores
// its multi-byte numbers this way.

#include <cstdint>
#include <vector>

namespace talsk {

inline uint16_t getU16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t getU32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline int32_t getI32(const unsigned char* p) {
    return static_cast<int32_t>(getU32(p));
}

inline void putU16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void putU32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void putI32(unsigned char* p, int32_t v) {
    putU32(p, static_cast<uint32_t>(v));
}

inline void appendU16(std::vector<unsigned char>& out, uint16_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}
inline void appendI32(std::vector<unsigned char>& out, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(u >> (8 * i)));
}

} // namespace talsk
