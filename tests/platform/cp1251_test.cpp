#include "platform/cp1251.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

using namespace talsk;

namespace {

#ifdef _WIN32
// The system's own table, as a second opinion.
std::string iconvToUtf8(unsigned char c) {
    const char in = static_cast<char>(c);
    wchar_t wide[2] = {};
    const int n = MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &in, 1, wide, 2);
    if (n <= 0) return "<invalid>";
    char out[8] = {};
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, out, sizeof out, nullptr, nullptr);
    return std::string(out, static_cast<size_t>(m > 0 ? m : 0));
}
#else
// The C library's own table, as a second opinion.
std::string iconvToUtf8(unsigned char c) {
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
    char in[1] = {static_cast<char>(c)};
    char out[8] = {};
    char* pin = in;
    char* pout = out;
    size_t inLeft = 1, outLeft = sizeof out;
    size_t r = iconv(cd, &pin, &inLeft, &pout, &outLeft);
    iconv_close(cd);
    if (r == static_cast<size_t>(-1)) return "<invalid>";
    return std::string(out, sizeof out - outLeft);
}
#endif

} // namespace

TEST(Cp1251, EveryByteAgreesWithTheCLibrary) {
    if (iconvToUtf8('A') != "A") GTEST_SKIP() << "no CP1251 converter in this C library";
    for (int c = 1; c < 256; ++c) {
        if (c == 0x98) continue; // unassigned
        const std::string one(1, static_cast<char>(c));
        EXPECT_EQ(cp1251ToUtf8(one), iconvToUtf8(static_cast<unsigned char>(c))) << std::hex << c;
        EXPECT_EQ(utf8ToCp1251(cp1251ToUtf8(one)), one) << std::hex << c;
    }
}

TEST(Cp1251, KnownLetters) {
    EXPECT_EQ(cp1251ToUtf8("\xD2\xE0\xEB\xFC\xF1\xEA"), "Тальск");
    EXPECT_EQ(utf8ToCp1251("Тальск"), "\xD2\xE0\xEB\xFC\xF1\xEA");
    EXPECT_EQ(utf8ToCp1251("Ёё№"), "\xA8\xB8\xB9");
    EXPECT_EQ(cp1251ToUnicode(0xC0), U'А');
    EXPECT_EQ(cp1251ToUnicode(0xFF), U'я');
    EXPECT_EQ(cp1251ToUnicode(0x98), 0xFFFDu);
    EXPECT_EQ(cp1251ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1251, BadOrForeignUtf8BecomesQuestionMarks) {
    EXPECT_EQ(utf8ToCp1251("中"), "?");               // not in the code page
    EXPECT_EQ(utf8ToCp1251("\x80z"), "?z");           // lone continuation byte
    EXPECT_EQ(utf8ToCp1251("a\xD0"), "a?");           // cut sequence
    EXPECT_EQ(utf8ToCp1251("\xD0z"), "?z");           // broken sequence
    EXPECT_EQ(utf8ToCp1251("\xFF\xFE"), "??");        // never valid
    EXPECT_EQ(utf8ToCp1251("\xF0\x9F\x98\x80"), "?"); // outside the code page
}

// Long forms of plain characters must not slip through as those characters
// (a hidden '/' or zero byte in a name or a field).
TEST(Cp1251, OverlongAndInvalidCodePointsAreRejected) {
    EXPECT_EQ(utf8ToCp1251("\xC0\xAF"), "?");
    EXPECT_EQ(utf8ToCp1251("\xC0\x80"), "?");
    EXPECT_EQ(utf8ToCp1251("\xE0\x80\xAF"), "?");
    EXPECT_EQ(utf8ToCp1251("\xF0\x80\x80\xAF"), "?");
    EXPECT_EQ(utf8ToCp1251("\xE0\x90\x81"), "?");     // overlong А
    EXPECT_EQ(utf8ToCp1251("\xED\xA0\x80"), "?");     // surrogate
    EXPECT_EQ(utf8ToCp1251("\xF4\x90\x80\x80"), "?"); // past U+10FFFF
}
