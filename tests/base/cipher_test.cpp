#include "base/cipher.h"
#include "support/random_records.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

using namespace talsk;
using namespace talsk::test;

TEST(Cipher, KnownAnswerForTwoBytes) {
    // Worked by hand: forward pass b0 = 10^20^0^'A' = 71, b1 = 20^1^71^'B' = 12;
    // backward pass b0 = 71^12^0 = 63.
    unsigned char b[2] = {0x10, 0x20};
    encipher(b, 2, "AB");
    EXPECT_EQ(b[0], 0x63);
    EXPECT_EQ(b[1], 0x12);
    decipher(b, 2, "AB");
    EXPECT_EQ(b[0], 0x10);
    EXPECT_EQ(b[1], 0x20);
}

TEST(Cipher, ShortBuffersAndEmptyKey) {
    unsigned char one = 0x5A;
    encipher(&one, 1, "q");
    EXPECT_EQ(one, 0x5A ^ 'q');
    encipher(&one, 1, "xyz"); // only K[0]
    EXPECT_EQ(one, 0x5A ^ 'q' ^ 'x');
    decipher(&one, 1, "xyz");
    decipher(&one, 1, "q");
    EXPECT_EQ(one, 0x5A);

    unsigned char none[1] = {0x77};
    encipher(none, 0, "key");
    decipher(none, 0, "key");
    EXPECT_EQ(none[0], 0x77);

    unsigned char plain[64];
    for (int i = 0; i < 64; ++i)
        plain[i] = static_cast<unsigned char>(i * 7);
    unsigned char b[64];
    std::memcpy(b, plain, 64);
    encipher(b, 64, "");
    EXPECT_EQ(std::memcmp(b, plain, 64), 0);
    decipher(b, 64, "");
    EXPECT_EQ(std::memcmp(b, plain, 64), 0);
}

TEST(Cipher, NullKeyIsBuiltinKey1) {
    char key1[14];
    makeBuiltinKey(1, key1);
    EXPECT_EQ(std::strlen(key1), 13u);
    unsigned char a[40], b[40];
    for (int i = 0; i < 40; ++i)
        a[i] = b[i] = static_cast<unsigned char>(200 - i);
    encipher(a, 40, nullptr);
    encipher(b, 40, key1);
    EXPECT_EQ(std::memcmp(a, b, 40), 0);
    decipher(a, 40, nullptr);
    EXPECT_EQ(a[0], 200);
    EXPECT_EQ(a[39], 161);

    char key2[33];
    makeBuiltinKey(2, key2);
    EXPECT_EQ(std::strlen(key2), 32u);
    EXPECT_NE(std::string(key1), std::string(key2));
}

// Every length a chunk header can have, with every key length a file key can have.
TEST(Cipher, DecipherUndoesEncipherForAllLengthsAndKeys) {
    RecordGenerator gen(11);
    std::vector<unsigned char> plain(1080), buf(1080);
    for (auto& c : plain)
        c = static_cast<unsigned char>(gen.next());
    int changed = 0;
    for (int L = 1; L <= 32; ++L) {
        const std::string key = gen.key(L);
        for (size_t n = 0; n <= 1080; ++n) {
            std::memcpy(buf.data(), plain.data(), n);
            encipher(buf.data(), n, key.c_str());
            if (n > 0 && std::memcmp(buf.data(), plain.data(), n) != 0) ++changed;
            decipher(buf.data(), n, key.c_str());
            ASSERT_EQ(std::memcmp(buf.data(), plain.data(), n), 0) << "n=" << n << " L=" << L;
        }
    }
    EXPECT_EQ(changed, 32 * 1080);
}

TEST(Cipher, WrongKeyDoesNotRestore) {
    unsigned char b[16] = {};
    encipher(b, 16, "right");
    decipher(b, 16, "wrong");
    unsigned char zero[16] = {};
    EXPECT_NE(std::memcmp(b, zero, 16), 0);
}

TEST(DeriveFileKey, Cases) {
    EXPECT_EQ(deriveFileKey(""), "");
    EXPECT_EQ(deriveFileKey("a"), "a"); // c ^ c = 0 is replaced by s = c
    EXPECT_EQ(deriveFileKey("\xE9"), "\xE9");
    // "ab": s = 0xC3; out0 = 'a' ^ C3 = A2; s = C5; out1 = 'b' ^ C5 = A7.
    EXPECT_EQ(deriveFileKey("ab"), "\xA2\xA7");
    RecordGenerator gen(5);
    for (int L = 1; L <= 32; ++L)
        for (int rep = 0; rep < 200; ++rep) {
            std::string typed = gen.key(L);
            std::string key = deriveFileKey(typed);
            ASSERT_EQ(key.size(), typed.size());
            ASSERT_EQ(key.find('\0'), std::string::npos);
        }
    // A byte equal to the running sum would give zero: the sum takes its place.
    // "\xFE\x41": s = 3F; out0 = FE ^ 3F = C1; s = 41; 41 ^ 41 = 0 -> 41.
    EXPECT_EQ(deriveFileKey("\xFE\x41"), "\xC1\x41");
    // The typed text ends at its first zero byte.
    EXPECT_EQ(deriveFileKey(std::string("a\0b", 3)), "a");
}
