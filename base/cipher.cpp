#include "base/cipher.h"

#include <cstring>

namespace talsk {

namespace {

constexpr char kKey1Text[] = "Tal'sk-2000/Q";
static_assert(sizeof kKey1Text == 14);

constexpr unsigned char key1Byte(int i) {
    return static_cast<unsigned char>(kKey1Text[i] ^ (0x80 | ((i * 29 + 11) & 0x3F)));
}
constexpr unsigned char key2Byte(int i) {
    return static_cast<unsigned char>((i * 37 + 0x5B) % 255 + 1);
}
constexpr bool noZeroBytes() {
    for (int i = 0; i < 13; ++i)
        if (key1Byte(i) == 0) return false;
    for (int i = 0; i < 32; ++i)
        if (key2Byte(i) == 0) return false;
    return true;
}
static_assert(noZeroBytes(), "built-in keys must not hold a zero byte");

struct KeyView {
    const unsigned char* bytes;
    size_t length;
};

KeyView keyView(const char* key, char* scratch) {
    if (key == nullptr) {
        makeBuiltinKey(1, scratch);
        key = scratch;
    }
    return {reinterpret_cast<const unsigned char*>(key), std::strlen(key)};
}

} // namespace

void makeBuiltinKey(int which, char* out) {
    if (which == 1) {
        for (int i = 0; i < 13; ++i)
            out[i] = static_cast<char>(key1Byte(i));
        out[13] = '\0';
    } else {
        for (int i = 0; i < 32; ++i)
            out[i] = static_cast<char>(key2Byte(i));
        out[32] = '\0';
    }
}

void encipher(unsigned char* b, size_t n, const char* key) {
    char scratch[16];
    KeyView k = keyView(key, scratch);
    const size_t L = k.length;
    if (L == 0 || n == 0) return;
    size_t pos = 0;
    auto advance = [&] { pos = pos + 1 == L ? 0 : pos + 1; };
    for (size_t i = 0; i < n; ++i) {
        if (i < n - 1) b[i] ^= b[i + 1];
        b[i] ^= static_cast<unsigned char>(pos);
        if (i > 0) b[i] ^= b[i - 1];
        b[i] ^= k.bytes[pos];
        advance();
    }
    for (size_t i = n - 1; i-- > 0;) {
        b[i] ^= b[i + 1];
        b[i] ^= static_cast<unsigned char>(pos);
        if (i > 0) b[i] ^= b[i - 1];
        advance();
    }
}

void decipher(unsigned char* b, size_t n, const char* key) {
    char scratch[16];
    KeyView k = keyView(key, scratch);
    const size_t L = k.length;
    if (L == 0 || n == 0) return;
    long start = static_cast<long>((2 * n - 1) % L) - 1;
    size_t pos = start < 0 ? L - 1 : static_cast<size_t>(start);
    auto back = [&] { pos = pos == 0 ? L - 1 : pos - 1; };
    for (size_t i = 0; i + 1 < n; ++i) {
        if (i > 0) b[i] ^= b[i - 1];
        b[i] ^= static_cast<unsigned char>(pos);
        b[i] ^= b[i + 1];
        back();
    }
    for (size_t i = n; i-- > 0;) {
        b[i] ^= k.bytes[pos];
        if (i > 0) b[i] ^= b[i - 1];
        b[i] ^= static_cast<unsigned char>(pos);
        if (i < n - 1) b[i] ^= b[i + 1];
        back();
    }
}

std::string deriveFileKey(const std::string& typed) {
    const size_t L = strnlen(typed.c_str(), typed.size());
    unsigned char s = 0;
    for (size_t i = 0; i < L; ++i)
        s = static_cast<unsigned char>(s + static_cast<unsigned char>(typed[i]));
    std::string out(L, '\0');
    for (size_t i = 0; i < L; ++i) {
        unsigned char c = static_cast<unsigned char>(typed[i]) ^ s;
        out[i] = static_cast<char>(c == 0 ? s : c);
        s = static_cast<unsigned char>(s + L);
    }
    return out;
}

} // namespace talsk
