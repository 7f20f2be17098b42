#pragma once
// Little-endian numbers in file images: every file the program writes stores
// its multi-byte numbers this way.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
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

// Builds an image field by field. Its members bear the names of ByteReader's,
// so that one layout function can be walked by both.
class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) { appendU16(bytes_, v); }
    void u32(uint32_t v) { appendI32(bytes_, static_cast<int32_t>(v)); }
    void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
    void i32(int32_t v) { appendI32(bytes_, v); }
    void f32(float v) { u32(std::bit_cast<uint32_t>(v)); }
    void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
    void bytes(const void* p, size_t n) {
        auto* b = static_cast<const unsigned char*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }
    void reserved(size_t n) { zeros(n); }
    bool ended() const { return false; }
    const std::vector<unsigned char>& image() const { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

// Reads an untrusted image in order. Once a read runs past the end every
// later read fails too and leaves its target as it was.
class ByteReader {
public:
    ByteReader(const void* data, size_t size)
        : p_(static_cast<const unsigned char*>(data)), size_(size) {}
    explicit ByteReader(const std::string& bytes) : ByteReader(bytes.data(), bytes.size()) {}

    bool take(void* out, size_t n) {
        if (!has(n)) return false;
        if (n != 0) std::memcpy(out, p_ + pos_, n); // out may be null then
        pos_ += n;
        return true;
    }
    bool take(std::string& out, size_t n) {
        if (!has(n)) return false;
        out.assign(reinterpret_cast<const char*>(p_ + pos_), n);
        pos_ += n;
        return true;
    }
    bool skip(size_t n) {
        if (!has(n)) return false;
        pos_ += n;
        return true;
    }
    bool bytes(void* out, size_t n) { return take(out, n); }
    bool reserved(size_t n) { return skip(n); }
    bool u8(uint8_t& v) { return take(&v, 1); }
    bool u16(uint16_t& v) {
        return fixed<2>([&](const unsigned char* b) { v = getU16(b); });
    }
    bool u32(uint32_t& v) {
        return fixed<4>([&](const unsigned char* b) { v = getU32(b); });
    }
    bool i16(int16_t& v) {
        return fixed<2>([&](const unsigned char* b) { v = static_cast<int16_t>(getU16(b)); });
    }
    bool i32(int32_t& v) {
        return fixed<4>([&](const unsigned char* b) { v = getI32(b); });
    }
    bool f32(float& v) {
        return fixed<4>([&](const unsigned char* b) { v = std::bit_cast<float>(getU32(b)); });
    }
    bool ended() const { return ended_; }
    bool atEnd() const { return !ended_ && pos_ == size_; }

private:
    bool has(size_t n) {
        if (ended_ || size_ - pos_ < n) ended_ = true;
        return !ended_;
    }
    template <size_t N, typename F> bool fixed(F&& set) {
        if (!has(N)) return false;
        set(p_ + pos_);
        pos_ += N;
        return true;
    }

    const unsigned char* p_;
    size_t size_;
    size_t pos_ = 0;
    bool ended_ = false;
};

} // namespace talsk
