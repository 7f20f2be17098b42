#include "platform/cp1251.h"

#include <array>
#include <unordered_map>

namespace talsk {

namespace {

// Code points of bytes 0x80..0xFF; 0 marks the one unassigned byte (0x98).
constexpr std::array<char16_t, 128> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t highPoint(unsigned i) {
    if (i < 64) return kHigh[i];
    return static_cast<char16_t>(0x0410 + (i - 64)); // А..я are contiguous
}

const std::unordered_map<char32_t, unsigned char>& reverseTable() {
    static const auto table = [] {
        std::unordered_map<char32_t, unsigned char> m;
        for (unsigned i = 0; i < 128; ++i) {
            char16_t cp = highPoint(i);
            if (cp != 0) m.emplace(cp, static_cast<unsigned char>(0x80 + i));
        }
        return m;
    }();
    return table;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

char32_t cp1251ToUnicode(unsigned char c) {
    if (c < 0x80) return c;
    char16_t cp = highPoint(c - 0x80u);
    return cp == 0 ? 0xFFFD : cp;
}

std::string cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char ch : text)
        appendUtf8(out, cp1251ToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

namespace {

// Converts until the end or, when strict, the first character without a
// Windows-1251 form; returns whether every character had one.
bool convertToCp1251(std::string_view text, std::string& out, bool strict) {
    out.clear();
    out.reserve(text.size());
    const auto& rev = reverseTable();
    bool exact = true;
    auto lost = [&] {
        exact = false;
        out += '?';
        return !strict;
    };
    size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        char32_t cp;
        size_t len;
        if (c < 0x80) {
            cp = c;
            len = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            len = 4;
        } else {
            if (!lost()) return false;
            ++i;
            continue;
        }
        if (i + len > text.size()) {
            (void)lost();
            break;
        }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) {
            if (!lost()) return false;
            ++i;
            continue;
        }
        i += len;
        // Long forms of shorter characters (a hidden '/' or zero), surrogates
        // and values past the last code point are not characters.
        static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[len] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            if (!lost()) return false;
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else {
            auto it = rev.find(cp);
            if (it != rev.end())
                out += static_cast<char>(it->second);
            else if (!lost())
                return false;
        }
    }
    return exact;
}

} // namespace

std::string utf8ToCp1251(std::string_view text) {
    std::string out;
    (void)convertToCp1251(text, out, false);
    return out;
}

bool utf8ToCp1251Exact(std::string_view text, std::string& out) {
    if (convertToCp1251(text, out, true)) return true;
    out.clear();
    return false;
}

} // namespace talsk
