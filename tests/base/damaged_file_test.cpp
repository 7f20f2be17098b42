// Damaged base files of every kind give a status, never a crash, a hang or a
// read outside the buffers (the sanitizer build checks the last).

#include "base/base_file.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "support/base_fixtures.h"

#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

const std::string kKey = "\x8A\x10\x7Fq";

struct Sample {
    BaseContent content;
    std::vector<unsigned char> bytes;
    int32_t stored[3] = {};
};

// A small file: three tables of a few records each.
const Sample& sample() {
    static const Sample s = [] {
        Sample r;
        RecordGenerator gen(77);
        r.content = randomContent(gen, 4, 3, 2);
        r.bytes = savedBytes(r.content, kKey);
        std::vector<unsigned char> copy = r.bytes;
        patchHeader(copy, [&](unsigned char* h) {
            for (int k = 0; k < 3; ++k)
                r.stored[k] = getI32(h + 32 * k + 20);
        });
        return r;
    }();
    return s;
}

bool knownStatus(int32_t status) {
    return status >= StatusConnected && status <= StatusUnknownFormat;
}

// Loads the bytes and checks what any load must leave behind.
int32_t load(const std::vector<unsigned char>& bytes, PhoneBase& base,
             const std::string& key = kKey) {
    loadFromBytes(base, bytes, key);
    EXPECT_TRUE(knownStatus(base.status)) << base.status;
    expectConsistent(base);
    if (base.connected) {
        EXPECT_TRUE(base.status == StatusConnected || base.status == StatusReadOnlyIncomplete)
            << base.status;
    }
    return base.status;
}

int32_t load(const std::vector<unsigned char>& bytes, const std::string& key = kKey) {
    PhoneBase base;
    return load(bytes, base, key);
}

// Edits the deciphered header of the chunk at `at` (chunk headers are
// enciphered with the file key).
void patchChunk(std::vector<unsigned char>& bytes, size_t at,
                const std::function<void(unsigned char* header, size_t length)>& edit) {
    const size_t length = bytes[at] | (bytes[at + 1] << 8);
    unsigned char* h = bytes.data() + at + 2;
    decipher(h, length, kKey.c_str());
    edit(h, length);
    encipher(h, length, kKey.c_str());
}

} // namespace

TEST(DamagedFile, SampleLoads) {
    PhoneBase base;
    EXPECT_EQ(load(sample().bytes, base), StatusConnected);
    for (int k = 0; k < kTableCount; ++k)
        EXPECT_EQ(contentOf(base).tables[k], sample().content.tables[k]);
}

// Cut at every length. Only the last separator may go; a shorter file fails
// its header or the tables whose blocks it cuts.
TEST(DamagedFile, TruncatedAtEveryLength) {
    const std::vector<unsigned char>& full = sample().bytes;
    const size_t s0 = static_cast<size_t>(sample().stored[0]);
    const size_t s1 = static_cast<size_t>(sample().stored[1]);
    const size_t s = s0 + s1 + static_cast<size_t>(sample().stored[2]);
    ASSERT_EQ(full.size(), 118 + s);
    const size_t blockEnds[3] = {106 + s0, 110 + s0 + s1, 114 + s};
    for (size_t len = 0; len <= full.size(); ++len) {
        std::vector<unsigned char> cut(full.begin(), full.begin() + static_cast<long>(len));
        const int32_t status = load(cut);
        int32_t expected;
        if (len <= 20) {
            expected = StatusNoData;
        } else if (len < 106 || len - 10 < s) {
            expected = StatusHeaderInvalid; // short header block, or stored sizes past the end
        } else {
            int whole = 0;
            for (size_t end : blockEnds)
                whole += len >= end ? 1 : 0;
            expected = whole == 3   ? StatusConnected
                       : whole == 0 ? StatusLoadFailed
                                    : StatusReadOnlyIncomplete;
        }
        ASSERT_EQ(status, expected) << "length " << len;
    }
}

TEST(DamagedFileSlow, FlippedBytesAnywhere) {
    const std::vector<unsigned char>& good = sample().bytes;
    int stillConnected = 0;
    for (size_t at = 0; at < good.size(); ++at)
        for (unsigned char mask : {0x01, 0x10, 0x80, 0xFF}) {
            std::vector<unsigned char> b = good;
            b[at] ^= mask;
            PhoneBase base;
            const int32_t status = load(b, base);
            if (at < 2) {
                EXPECT_FALSE(base.connected);
                EXPECT_TRUE(status == StatusVersionMismatch || status == StatusUnknownFormat);
            } else if (at < 10) {
                // Table count byte, keyed flag and reserved bytes are not checked.
                EXPECT_EQ(status, StatusConnected) << at;
            }
            if (base.connected) ++stillConnected;
            if (HasFatalFailure()) return;
        }
    EXPECT_GT(stillConnected, 0);
}

TEST(DamagedFile, WrongKeys) {
    RecordGenerator gen(78);
    for (int L = 0; L <= 32; ++L) {
        std::string key = gen.key(L);
        if (key == kKey) continue;
        EXPECT_EQ(load(sample().bytes, key), StatusLoadFailed) << "length " << L;
    }
}

TEST(DamagedFile, AbsurdDescriptors) {
    const int32_t values[] = {INT32_MIN, -1,  0,      1,      6,       7,
                              8,         100, 262144, 262145, 1 << 24, INT32_MAX};
    for (int table = 0; table < 3; ++table)
        for (int field : {0, 12, 16, 20}) // count, textSize, chunkSize, storedSize
            for (int32_t v : values) {
                std::vector<unsigned char> b = sample().bytes;
                patchHeader(b, [&](unsigned char* h) { putI32(h + 32 * table + field, v); });
                load(b);
                if (HasFatalFailure()) return;
            }
    // Claims that pass the header checks but not the blocks: a large text
    // for a count that allows it, every table at once.
    std::vector<unsigned char> b = sample().bytes;
    patchHeader(b, [&](unsigned char* h) {
        for (int t = 0; t < 3; ++t) {
            putI32(h + 32 * t, 1000);
            putI32(h + 32 * t + 12, 400000);
        }
    });
    EXPECT_NE(load(b), StatusConnected);
    // Stored sizes whose sum passes 32 bits.
    b = sample().bytes;
    patchHeader(b, [&](unsigned char* h) {
        putI32(h + 20, INT32_MAX);
        putI32(h + 52, INT32_MAX);
        putI32(h + 84, INT32_MAX);
    });
    EXPECT_EQ(load(b), StatusHeaderInvalid);
}

TEST(DamagedFileSlow, AbsurdChunkHeaders) {
    const size_t chunks[] = {106, 110 + static_cast<size_t>(sample().stored[0]),
                             114 + static_cast<size_t>(sample().stored[0] + sample().stored[1])};
    for (size_t at : chunks) {
        // headerLength itself (plain).
        for (uint16_t length : {0, 1, 5, 6, 7, 8, 1080, 1081, 0xFFFF}) {
            std::vector<unsigned char> b = sample().bytes;
            b[at] = static_cast<unsigned char>(length);
            b[at + 1] = static_cast<unsigned char>(length >> 8);
            EXPECT_EQ(load(b), StatusReadOnlyIncomplete) << at << " " << length;
        }
        // Bit counts.
        for (uint32_t bits : {0u, 1u, 2097152u, 2097153u, 0xFFFFFFFFu}) {
            std::vector<unsigned char> b = sample().bytes;
            patchChunk(b, at,
                       [&](unsigned char* h, size_t) { putI32(h, static_cast<int32_t>(bits)); });
            EXPECT_EQ(load(b), StatusReadOnlyIncomplete) << at << " " << bits;
        }
        // Tree flag and tree length.
        for (int flag : {0, 2, 255}) {
            std::vector<unsigned char> b = sample().bytes;
            patchChunk(b, at,
                       [&](unsigned char* h, size_t) { h[5] = static_cast<unsigned char>(flag); });
            EXPECT_EQ(load(b), StatusReadOnlyIncomplete) << at << " flag " << flag;
        }
        for (int16_t treeLength : {int16_t(-4), int16_t(0), int16_t(2), int16_t(6), int16_t(1024),
                                   int16_t(1028), int16_t(32767)}) {
            std::vector<unsigned char> b = sample().bytes;
            patchChunk(b, at, [&](unsigned char* h, size_t) {
                h[6] = static_cast<unsigned char>(treeLength);
                h[7] = static_cast<unsigned char>(static_cast<uint16_t>(treeLength) >> 8);
            });
            EXPECT_EQ(load(b), StatusReadOnlyIncomplete) << at << " tree " << treeLength;
        }
        // Every tree entry replaced by references and leaves of all kinds.
        const size_t treeLength = (sample().bytes[at] | (sample().bytes[at + 1] << 8)) - 8u;
        for (size_t e = 0; e < treeLength / 2; ++e)
            for (uint16_t v : {0x0000, 0x0001, 0x0002, 0x01FE, 0x0400, 0xEFFF, 0xF000, 0xFFFF}) {
                std::vector<unsigned char> b = sample().bytes;
                patchChunk(b, at, [&](unsigned char* h, size_t) {
                    h[8 + 2 * e] = static_cast<unsigned char>(v);
                    h[9 + 2 * e] = static_cast<unsigned char>(v >> 8);
                });
                load(b);
                if (HasFatalFailure()) return;
            }
    }
}

// Random damage of several kinds at once.
TEST(DamagedFileSlow, RandomMutations) {
    RecordGenerator gen(79);
    const std::vector<unsigned char>& good = sample().bytes;
    for (int rep = 0; rep < 3000; ++rep) {
        std::vector<unsigned char> b = good;
        const int edits = 1 + gen.below(4);
        for (int e = 0; e < edits; ++e)
            b[static_cast<size_t>(gen.below(static_cast<int>(b.size())))] =
                static_cast<unsigned char>(gen.next());
        if (gen.below(4) == 0)
            b.resize(static_cast<size_t>(gen.below(static_cast<int>(b.size()) + 1)));
        if (gen.below(4) == 0)
            for (int i = 0; i < 64; ++i)
                b.push_back(static_cast<unsigned char>(gen.next()));
        load(b);
        if (HasFatalFailure()) return;
    }
}
