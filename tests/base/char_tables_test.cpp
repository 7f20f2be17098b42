// The upper-case table of Windows-1251, the keyboard layout table and the
// typing conversion of the search bars.

#include "base/char_tables.h"
#include "platform/cp1251.h"
#include "search/layout_typing.h"

#include <gtest/gtest.h>

#include <string>

namespace talsk {
namespace {

// Simple upper-case mapping of the Unicode letters Windows-1251 holds.
char32_t unicodeUpper(char32_t u) {
    if (u >= U'a' && u <= U'z') return u - 0x20;
    if (u >= 0x0430 && u <= 0x044F) // а..я
        return u - 0x20;
    if (u >= 0x0450 && u <= 0x045F) // ѐ..џ
        return u - 0x50;
    if (u == 0x0491) // ґ
        return 0x0490;
    return u;
}

TEST(UpperTable, MatchesUnicodeCasingWithinTheCodePage) {
    const UpperTable& up = upperTable();
    int changed = 0;
    for (int c = 0; c < 256; ++c) {
        const char32_t upper = unicodeUpper(cp1251ToUnicode(static_cast<unsigned char>(c)));
        int expected = c; // letters whose capital the code page lacks stay
        for (int d = 0; d < 256; ++d)
            if (cp1251ToUnicode(static_cast<unsigned char>(d)) == upper) expected = d;
        EXPECT_EQ(up[static_cast<size_t>(c)], expected) << "byte " << c;
        changed += up[static_cast<size_t>(c)] != c;
    }
    // a-z, а-я, and ё ў і ї є ґ ђ ѓ љ њ ќ ћ џ ј ѕ.
    EXPECT_EQ(changed, 26 + 32 + 15);
    EXPECT_EQ(up[0], 0);
    for (char op : std::string("&|+;*?% "))
        EXPECT_EQ(up[static_cast<unsigned char>(op)], static_cast<unsigned char>(op));
}

TEST(LayoutTable, LatinKeysGiveTheRussianLettersOfTheSameKeys) {
    LayoutTable layout{};
    loadLayoutTable(layout);
    const std::string latin =
        "qwertyuiop[]asdfghjkl;'zxcvbnm,.`QWERTYUIOP{}ASDFGHJKL:\"ZXCVBNM<>~^";
    const std::string russian =
        utf8ToCp1251("йцукенгшщзхъфывапролджэячсмитьбюёЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮЁ,");
    ASSERT_EQ(latin.size(), russian.size());
    for (size_t i = 0; i < latin.size(); ++i)
        EXPECT_EQ(layout[static_cast<unsigned char>(latin[i])],
                  static_cast<unsigned char>(russian[i]))
            << latin[i];
    int differing = 0;
    for (int c = 0; c < 256; ++c)
        differing += layout[static_cast<size_t>(c)] != c;
    EXPECT_EQ(differing, 67);
    for (char same : std::string("&|+*?%0123456789@/ "))
        EXPECT_EQ(layout[static_cast<unsigned char>(same)], static_cast<unsigned char>(same));
}

TEST(TypingConversion, FollowsTheKeyThatWasPressed) {
    LayoutTable layout{};
    loadLayoutTable(layout);
    auto ru = [](const char* utf8) {
        return static_cast<uint32_t>(static_cast<unsigned char>(utf8ToCp1251(utf8)[0]));
    };
    EXPECT_EQ(convertTypedCharacter(layout, true, 'Q', 'q'), ru("й"));
    EXPECT_EQ(convertTypedCharacter(layout, false, 'Q', 'q'), static_cast<uint32_t>('q'));
    // '/' and '?' on their own key, and the keypad's point, stay.
    EXPECT_EQ(convertTypedCharacter(layout, true, kKeySlashQuestion, '/'),
              static_cast<uint32_t>('/'));
    EXPECT_EQ(convertTypedCharacter(layout, true, kKeySlashQuestion, '?'),
              static_cast<uint32_t>('?'));
    EXPECT_EQ(convertTypedCharacter(layout, true, kKeyNumpadDecimal, '.'),
              static_cast<uint32_t>('.'));
    EXPECT_EQ(convertTypedCharacter(layout, true, 190, '.'), ru("ю"));
    // Shift+2 gives the double quote; the digit itself stays.
    EXPECT_EQ(convertTypedCharacter(layout, true, kKeyDigit2, '@'), static_cast<uint32_t>('"'));
    EXPECT_EQ(convertTypedCharacter(layout, true, kKeyDigit2, '2'), static_cast<uint32_t>('2'));
    // Characters beyond the single-byte range pass unchanged.
    EXPECT_EQ(convertTypedCharacter(layout, true, 'Q', 0x0439u), 0x0439u);
}

} // namespace
} // namespace talsk
