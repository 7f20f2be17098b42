// Versions 1.0 and 1.2: scrambling, record forms, reading, writing, mapping.

#include "base/base_file.h"
#include "base/legacy_10.h"
#include "base/legacy_12.h"
#include "base/legacy_records.h"
#include "base/legacy_scramble.h"
#include "base/load_status.h"
#include "platform/cp1251.h"
#include "platform/memory_file.h"
#include "support/legacy_images.h"
#include "support/random_records.h"

#include <cstring>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace talsk::test {
namespace {

std::string w(const char* utf8) {
    return utf8ToCp1251(utf8);
}

std::vector<unsigned char> randomBytes(RecordGenerator& gen, size_t n) {
    std::vector<unsigned char> b(n);
    for (auto& c : b)
        c = static_cast<unsigned char>(gen.next());
    return b;
}

ScrambleKey randomKey(RecordGenerator& gen) {
    ScrambleKey k;
    for (auto& c : k.k)
        c = static_cast<unsigned char>(gen.next());
    return k;
}

// ---- scrambling ----

TEST(LegacyScramble, BlockSizes) {
    ScrambleKey k;
    k.k[0] = 0;
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V12), 1000u);
    k.k[0] = 0xFF;
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V12), 3040u);
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V10), 992u); // signed -1
    k.k[0] = 0x83;                                             // 8 * -125 + 1000 = 0
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V10), 400u);
    k.k[0] = 0x84;
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V10), 8u);
    k.k[0] = 0x80; // 8 * -128 + 1000 = -24, taken as unsigned 16-bit
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V10), 65512u);
    k.k[0] = 0x7F;
    EXPECT_EQ(scrambleBlockSize(k, LegacyVersion::V10), 2016u);
}

TEST(LegacyScramble, UnscramblingRestoresEveryReversibleKeyAndLength) {
    RecordGenerator gen(11);
    const size_t lengths[] = {1,   2,   7,   25,  26,   96,   255,  256,
                              399, 400, 401, 999, 1000, 1001, 2500, 7000};
    int tried = 0;
    for (int round = 0; round < 60; ++round) {
        ScrambleKey key = randomKey(gen);
        if (round % 4 == 0)
            key.k[0] = static_cast<unsigned char>(0x83 + round % 5); // the small 1.0 blocks
        for (size_t n : lengths) {
            if (!scrambleIsReversible(key, static_cast<uint32_t>(n))) continue;
            for (LegacyVersion v : {LegacyVersion::V10, LegacyVersion::V12}) {
                const std::vector<unsigned char> plain = randomBytes(gen, n);
                std::vector<unsigned char> b = plain;
                scrambleBlocks(b.data(), n, static_cast<uint32_t>(n), key, v, false);
                if (n >= 8) {
                    EXPECT_NE(b, plain);
                }
                scrambleBlocks(b.data(), n, static_cast<uint32_t>(n), key, v, true);
                ASSERT_EQ(b, plain) << "n=" << n << " round=" << round;
                ++tried;
            }
        }
    }
    EXPECT_GT(tried, 1500);
}

TEST(LegacyScramble, OnlyWholeBlocksWithinTheHeldBytesAreTouched) {
    ScrambleKey key = scrambleKeyOf("\x84keytext"); // 1.0 blocks of 8 bytes
    RecordGenerator gen(3);
    const std::vector<unsigned char> plain = randomBytes(gen, 100);
    std::vector<unsigned char> whole = plain;
    scrambleBlocks(whole.data(), 100, 100, key, LegacyVersion::V10, false);
    // Unscrambling the first 27 bytes of 100 handles the blocks 0..23 only.
    std::vector<unsigned char> head(whole.begin(), whole.begin() + 27);
    scrambleBlocks(head.data(), 27, 100, key, LegacyVersion::V10, true);
    EXPECT_TRUE(std::equal(head.begin(), head.begin() + 24, plain.begin()));
    EXPECT_TRUE(std::equal(head.begin() + 24, head.end(), whole.begin() + 24));
}

TEST(LegacyScramble, DistanceZeroIsDetectedAndLosesData) {
    ScrambleKey key = scrambleKeyOf("ab?defgh");
    // K[2] = '?' = 0x3F: hi 0x30, lo 0x0F. D = 'b' + 5 + n = 0x67 + n.
    EXPECT_TRUE(scrambleIsReversible(key, 152));
    EXPECT_FALSE(scrambleIsReversible(key, 153));
    EXPECT_FALSE(scrambleIsReversible(key, 153 + 256));
    RecordGenerator gen(5);
    const std::vector<unsigned char> plain = randomBytes(gen, 153);
    std::vector<unsigned char> b = plain;
    scrambleBlocks(b.data(), b.size(), 153, key, LegacyVersion::V12, false);
    scrambleBlocks(b.data(), b.size(), 153, key, LegacyVersion::V12, true);
    EXPECT_NE(b, plain);

    for (unsigned char third : {0x00, 0x01}) {
        ScrambleKey bad = key;
        bad.k[2] = third;
        for (uint32_t n = 1; n < 600; ++n)
            EXPECT_FALSE(scrambleIsReversible(bad, n));
    }
    ScrambleKey loOnly = key;
    loOnly.k[2] = 0x10; // hi 16, lo 0 -> 8
    EXPECT_TRUE(scrambleIsReversible(loOnly, 152));
}

TEST(LegacyScramble, BuiltinKeysAreReversibleForTheHeaderBlock) {
    EXPECT_TRUE(scrambleIsReversible(builtinScrambleKey(BuiltinScrambleKey::Header12), 96));
    ScrambleKey a = builtinScrambleKey(BuiltinScrambleKey::Body10);
    ScrambleKey b = builtinScrambleKey(BuiltinScrambleKey::Body12);
    EXPECT_NE(std::memcmp(a.k, b.k, 8), 0);
}

TEST(LegacyScramble, ScrambleKeyIsTheTypedTextBlankPadded) {
    ScrambleKey k = scrambleKeyOf("abc");
    EXPECT_EQ(std::memcmp(k.k, "abc     ", 8), 0);
    k = scrambleKeyOf("0123456789");
    EXPECT_EQ(std::memcmp(k.k, "01234567", 8), 0);
}

// ---- record forms and mapping ----

TEST(LegacyRecords, Reads10RecordsAndRejectsBrokenOnes) {
    const std::string pop = w("1234567\x1eИванов\x1eИП\x1eЛенина\x1e"
                              "12а\x1e"
                              "5\x1eкомм\x1e");
    const auto* b = reinterpret_cast<const unsigned char*>(pop.data());
    LegacyRecord r;
    EXPECT_EQ(readLegacy10Population(b, pop.size(), 0, r), static_cast<int64_t>(pop.size() - 1));
    EXPECT_EQ(r.phone, "1234567");
    EXPECT_EQ(r.name, w("Иванов"));
    EXPECT_EQ(r.initials, w("ИП"));
    EXPECT_EQ(r.apartment, "5");
    EXPECT_EQ(r.comment, w("комм"));
    // Ends before its last field.
    for (size_t cut = 0; cut < pop.size(); ++cut)
        EXPECT_EQ(readLegacy10Population(b, cut, 0, r), -1) << cut;
    // A phone of 8 characters breaks the limit of 7.
    const std::string longPhone = "12345678\x1e\x1e\x1e\x1e\x1e\x1e\x1e";
    EXPECT_EQ(readLegacy10Population(reinterpret_cast<const unsigned char*>(longPhone.data()),
                                     longPhone.size(), 0, r),
              -1);
    // A zero byte cannot be carried into any field.
    const std::string zero = std::string("12\0"
                                         "3\x1e\x1e\x1e\x1e\x1e\x1e",
                                         10);
    EXPECT_EQ(readLegacy10Organization(reinterpret_cast<const unsigned char*>(zero.data()),
                                       zero.size(), 0, r),
              -1);
    // Organizations have six fields; the organization may hold 80 characters.
    const std::string org = w("1\x1eдиректор\x1e") + std::string(80, 'O') +
                            w("\x1eул\x1e"
                              "1\x1e\x1e");
    EXPECT_EQ(readLegacy10Organization(reinterpret_cast<const unsigned char*>(org.data()),
                                       org.size(), 0, r),
              static_cast<int64_t>(org.size() - 1));
    EXPECT_EQ(r.organization, std::string(80, 'O'));
}

TEST(LegacyRecords, PopulationNameJoinsInitialsOnlyWhenThereAreAny) {
    LegacyRecord r;
    r.name = w("Петров");
    RecordFields f;
    legacyToFields(r, TableKind::Population, f);
    EXPECT_EQ(f.name, w("Петров"));
    r.initials = w("ИП");
    r.apartment = "12";
    r.organization = "ignored";
    legacyToFields(r, TableKind::Population, f);
    EXPECT_EQ(f.name, w("Петров ИП"));
    EXPECT_STREQ(f.unit, "12");
    EXPECT_STREQ(f.organization, "");
}

TEST(LegacyRecords, OrganizationMapsPositionAndOrganizationWithoutUnit) {
    LegacyRecord r;
    r.phone = "2-22-22";
    r.name = w("директор");
    r.organization = w("Хлебозавод");
    r.street = w("Мира");
    r.house = "3";
    r.apartment = "9";
    r.comment = "c";
    RecordFields f;
    legacyToFields(r, TableKind::Organizations, f);
    EXPECT_STREQ(f.phone, "2-22-22");
    EXPECT_EQ(f.name, w("директор"));
    EXPECT_EQ(f.organization, w("Хлебозавод"));
    EXPECT_EQ(f.street, w("Мира"));
    EXPECT_STREQ(f.house, "3");
    EXPECT_STREQ(f.unit, "");
    EXPECT_STREQ(f.comment, "c");
}

TEST(LegacyRecords, HouseAndUnitJoinOnlyWhenTheyFit) {
    RecordFields f;
    LegacyRecord r;
    f.set(4, "12");
    f.set(5, "5");
    fieldsToLegacy12(f, TableKind::Organizations, r);
    EXPECT_EQ(r.house, "12-5");
    f.set(4, "1234567");
    fieldsToLegacy12(f, TableKind::Organizations, r);
    EXPECT_EQ(r.house, "1234567"); // 7 + 1 characters: the room is dropped
    f.set(4, "123456");
    fieldsToLegacy12(f, TableKind::Organizations, r);
    EXPECT_EQ(r.house, "123456-5");
    f.set(4, "123456789");
    fieldsToLegacy12(f, TableKind::Organizations, r);
    EXPECT_EQ(r.house, "12345678"); // cut to the 1.2 limit
    f.set(4, "");
    f.set(5, "");
    fieldsToLegacy12(f, TableKind::Organizations, r);
    EXPECT_EQ(r.house, "");
    // The population keeps its unit as the apartment instead.
    f.set(4, "12");
    f.set(5, "345");
    fieldsToLegacy12(f, TableKind::Population, r);
    EXPECT_EQ(r.house, "12");
    EXPECT_EQ(r.apartment, "345");
}

TEST(LegacyRecords, FieldsAreCutToThe12Limits) {
    RecordFields f;
    f.set(1, "0123456789");
    f.set(2, std::string(80, 'n').c_str());
    f.set(5, "12345");
    LegacyRecord r;
    fieldsToLegacy12(f, TableKind::Population, r);
    EXPECT_EQ(r.phone, "012345678");
    EXPECT_EQ(r.name, std::string(60, 'n'));
    EXPECT_EQ(r.apartment, "1234");
    std::string text;
    EXPECT_TRUE(packLegacy12(r, TableKind::Population, text));
    r.phone = "0123456789";
    EXPECT_FALSE(packLegacy12(r, TableKind::Population, text));
}

TEST(LegacyRecords, TheFirstFieldThat12CannotKeepWhole) {
    struct Case {
        TableKind kind;
        std::vector<std::pair<int, std::string>> fields;
        int over;
    } cases[] = {
        {TableKind::Population, {{1, "123456789"}, {5, "1234"}, {2, std::string(60, 'n')}}, 0},
        {TableKind::Population, {{2, std::string(61, 'n')}, {5, "12345"}}, 2},
        {TableKind::Population, {{5, "12345"}}, 5},
        {TableKind::Population, {{6, "Zavod"}}, 6}, // a population record has no organization
        {TableKind::Organizations, {{4, "1234567"}, {5, "5"}}, 0}, // the room is dropped
        {TableKind::Organizations, {{4, "123456789"}}, 4},
        {TableKind::Organizations, {{6, std::string(80, 'o')}, {7, std::string(101, 'c')}}, 7},
    };
    for (const Case& c : cases) {
        RecordFields f;
        for (const auto& [k, text] : c.fields)
            f.set(k, text.c_str());
        EXPECT_EQ(fieldOver12Limit(f, c.kind), c.over) << c.fields.front().second;
    }
}

// ---- version 1.2 files ----

Legacy12Table tableOf(const std::vector<LegacyRecord>& records, TableKind kind) {
    Legacy12Table t;
    for (const LegacyRecord& r : records)
        EXPECT_TRUE(packLegacy12(r, kind, t.text));
    t.count = static_cast<int32_t>(records.size());
    t.created = BaseDate{1999, 1, 2};
    t.updated = BaseDate{2000, 3, 4};
    return t;
}

std::vector<LegacyRecord> random12Records(RecordGenerator& gen, TableKind kind, int n) {
    std::vector<LegacyRecord> out;
    for (int i = 0; i < n; ++i) {
        LegacyRecord r = randomLegacy10Record(gen, kind);
        if (kind == TableKind::Population) r.initials = gen.text(4);
        r.phone = gen.text(9);
        out.push_back(r);
    }
    return out;
}

void expectSameRecords(const BaseTable& t, TableKind kind, const std::vector<LegacyRecord>& want) {
    ASSERT_EQ(t.count, static_cast<int32_t>(want.size()));
    LegacyRecord r;
    for (int32_t i = 0; i < t.count; ++i) {
        legacy12Record(t, kind, i, r);
        EXPECT_EQ(r.phone, want[i].phone);
        EXPECT_EQ(r.name, want[i].name);
        EXPECT_EQ(r.street, want[i].street);
        EXPECT_EQ(r.house, want[i].house);
        EXPECT_EQ(r.comment, want[i].comment);
        if (kind == TableKind::Population) {
            EXPECT_EQ(r.initials, want[i].initials);
            EXPECT_EQ(r.apartment, want[i].apartment);
        } else {
            EXPECT_EQ(r.organization, want[i].organization);
        }
    }
}

TEST(Legacy12, WritesAndReadsBackPlainAndKeyedFiles) {
    RecordGenerator gen(21);
    const auto pop = random12Records(gen, TableKind::Population, 40);
    const auto org = random12Records(gen, TableKind::Organizations, 25);
    const Legacy12Table tables[2] = {tableOf(pop, TableKind::Population),
                                     tableOf(org, TableKind::Organizations)};
    for (const std::string& key :
         std::vector<std::string>{"", w("ключ"), "a long key of many characters"}) {
        std::vector<unsigned char> image;
        ASSERT_TRUE(buildLegacy12Image(tables, !key.empty(), key, image));
        EXPECT_EQ(image[0], 0x20);
        EXPECT_EQ(image[1], 0x01);
        EXPECT_EQ(image[2], 2);
        EXPECT_EQ(image[3], 1);
        EXPECT_EQ(image[4], key.empty() ? 1 : 0);
        // Lead, header block, two texts and three separators.
        EXPECT_GE(image.size(), 118 + tables[0].text.size() + tables[1].text.size());
        EXPECT_LE(image.size(), 120 + tables[0].text.size() + tables[1].text.size());
        MemoryFile file(image);
        PhoneBase base;
        ASSERT_TRUE(readLegacy12(file, key, base)) << base.status;
        EXPECT_EQ(base.version, kVersion12);
        EXPECT_EQ(base.keyed, key.empty() ? 0 : 1);
        EXPECT_EQ(base.tables[0].created, (BaseDate{1999, 1, 2}));
        EXPECT_EQ(base.tables[1].updated, (BaseDate{2000, 3, 4}));
        expectSameRecords(base.tables[0], TableKind::Population, pop);
        expectSameRecords(base.tables[1], TableKind::Organizations, org);
    }
}

TEST(Legacy12, WrongOrMissingKeyFailsTheTables) {
    RecordGenerator gen(22);
    const auto pop = random12Records(gen, TableKind::Population, 30);
    const Legacy12Table tables[2] = {tableOf(pop, TableKind::Population), Legacy12Table{}};
    std::vector<unsigned char> image;
    ASSERT_TRUE(buildLegacy12Image(tables, true, w("верный"), image));
    PhoneBase base;
    MemoryFile file(image);
    EXPECT_FALSE(readLegacy12(file, w("неверный"), base));
    EXPECT_EQ(base.status, StatusLoadFailed);
    EXPECT_EQ(base.tables[0].count, 0);
    EXPECT_TRUE(base.tables[0].text.empty());
    PhoneBase none;
    EXPECT_FALSE(readLegacy12(file, "", none));
    EXPECT_EQ(none.status, StatusKeyMissing);
    // Only the first 8 characters scramble.
    PhoneBase longer;
    std::vector<unsigned char> image8;
    ASSERT_TRUE(buildLegacy12Image(tables, true, "12345678", image8));
    MemoryFile file8(image8);
    EXPECT_TRUE(readLegacy12(file8, "12345678-and-more", longer));
}

TEST(Legacy12, OneFailingTableLeavesTheOtherReadOnly) {
    RecordGenerator gen(23);
    const auto pop = random12Records(gen, TableKind::Population, 10);
    // An organization whose phone breaks the limit of 9 characters.
    Legacy12Table broken;
    broken.text = std::string("0123456789") + '\0' + std::string(5, '\0');
    broken.count = 1;
    const Legacy12Table tables[2] = {tableOf(pop, TableKind::Population), broken};
    for (const std::string key : {"", "k"}) {
        std::vector<unsigned char> image;
        ASSERT_TRUE(buildLegacy12Image(tables, !key.empty(), key, image));
        PhoneBase base;
        MemoryFile file(image);
        EXPECT_FALSE(readLegacy12(file, key, base));
        EXPECT_EQ(base.status, StatusReadOnlyIncomplete);
        EXPECT_EQ(base.readOnly, 1);
        expectSameRecords(base.tables[0], TableKind::Population, pop);
        EXPECT_EQ(base.tables[1].count, 0);
        EXPECT_EQ(base.tables[1].loaded, 0);
        EXPECT_TRUE(base.tables[1].text.empty());
    }
}

// Every record of a table read in 1.2 form lies in its pool and keeps the 1.2 limits.
void expectConsistent12(const PhoneBase& base) {
    for (int k = 0; k < 2; ++k) {
        const BaseTable& t = base.tables[static_cast<size_t>(k)];
        if (!t.loaded || t.count == 0) {
            if (!t.loaded) {
                EXPECT_TRUE(t.text.empty());
            }
            continue;
        }
        ASSERT_GE(t.entryCapacity(), static_cast<size_t>(t.count) + 1);
        const uint32_t end = t.entries()[t.count].start;
        ASSERT_LE(end, static_cast<uint32_t>(t.textSize));
        LegacyRecord r;
        for (int32_t i = 0; i < t.count; ++i) {
            legacy12Record(t, static_cast<TableKind>(k), i, r);
            EXPECT_LE(r.phone.size(), 9u);
            EXPECT_LE(r.name.size(), 60u);
            EXPECT_LE(r.house.size(), 8u);
            EXPECT_LE(r.initials.size(), 4u);
            EXPECT_LE(r.apartment.size(), 4u);
        }
    }
}

// Returns the header block of a 1.2 image unscrambled, lets `edit` change it,
// and scrambles it back.
void patch12Header(std::vector<unsigned char>& image,
                   const std::function<void(unsigned char*)>& edit) {
    const ScrambleKey key = builtinScrambleKey(BuiltinScrambleKey::Header12);
    scrambleBlocks(image.data() + 10, 96, 96, key, LegacyVersion::V12, true);
    edit(image.data() + 10);
    scrambleBlocks(image.data() + 10, 96, 96, key, LegacyVersion::V12, false);
}

TEST(Legacy12, HeaderChecks) {
    RecordGenerator gen(24);
    const auto pop = random12Records(gen, TableKind::Population, 5);
    const auto org = random12Records(gen, TableKind::Organizations, 5);
    const Legacy12Table tables[2] = {tableOf(pop, TableKind::Population),
                                     tableOf(org, TableKind::Organizations)};
    std::vector<unsigned char> good;
    ASSERT_TRUE(buildLegacy12Image(tables, false, "", good));
    {
        MemoryFile f(good);
        PhoneBase base;
        EXPECT_TRUE(readLegacy12Header(f, base));
        EXPECT_EQ(base.status, StatusVersionMismatch);
        EXPECT_EQ(base.tables[0].count, 5);
        EXPECT_EQ(base.tables[1].count, 5);
    }
    auto statusAfter = [&](const std::function<void(unsigned char*)>& edit) {
        std::vector<unsigned char> image = good;
        patch12Header(image, edit);
        MemoryFile f(image);
        PhoneBase base;
        EXPECT_FALSE(readLegacy12(f, "", base));
        return base.status;
    };
    EXPECT_EQ(statusAfter([](unsigned char* h) { h[32 + 4] = 5; }),
              StatusHeaderInvalid); // marker 6
    EXPECT_EQ(statusAfter([](unsigned char* h) { h[4] = 6; }), StatusHeaderInvalid);
    EXPECT_EQ(statusAfter([](unsigned char* h) { putI32(h, -1); }), StatusHeaderInvalid);
    EXPECT_EQ(statusAfter([](unsigned char* h) { putI32(h + 13, -7); }), StatusHeaderInvalid);
    // More records than the text can hold (at least 7 bytes each).
    EXPECT_EQ(statusAfter([&](unsigned char* h) { putI32(h, getI32(h + 13) / 7 + 1); }),
              StatusHeaderInvalid);
    // Texts larger than the file.
    EXPECT_EQ(statusAfter([](unsigned char* h) {
                  putI32(h + 32 + 13, 1500);
                  putI32(h + 32, 10);
              }),
              StatusHeaderInvalid);
    // A text size beyond 332 bytes a record.
    EXPECT_EQ(statusAfter([](unsigned char* h) {
                  putI32(h + 32, 1);
                  putI32(h + 32 + 13, 333);
              }),
              StatusHeaderInvalid);
    // The third descriptor is not checked.
    std::vector<unsigned char> third = good;
    patch12Header(third, [](unsigned char* h) {
        h[64 + 4] = 0;
        putI32(h + 64, 77);
    });
    MemoryFile f(third);
    PhoneBase base;
    EXPECT_TRUE(readLegacy12(f, "", base));
    EXPECT_EQ(base.tables[2].count, 77);

    std::vector<unsigned char> other = good;
    other[1] = 0x02;
    MemoryFile fo(other);
    PhoneBase b2;
    EXPECT_FALSE(readLegacy12(fo, "", b2));
    EXPECT_EQ(b2.status, StatusVersionMismatch);
}

TEST(Legacy12, WriterPadsATextWhoseLengthWouldGiveDistanceZero) {
    // With this key D = 0x67 + n: a text of 153 bytes would give D = 0.
    const std::string key = "ab?defgh";
    LegacyRecord r;
    r.phone = std::string(9, '1');
    r.initials = w("ИИИИ");
    r.apartment = "1234";
    r.house = "12345678";
    r.name = std::string(60, 'f');
    r.street = std::string(60, 's');
    r.comment = "c";
    Legacy12Table tables[2] = {tableOf({r}, TableKind::Population), Legacy12Table{}};
    ASSERT_EQ(tables[0].text.size(), 153u);
    ASSERT_FALSE(scrambleIsReversible(scrambleKeyOf(key), 153));
    std::vector<unsigned char> image;
    ASSERT_TRUE(buildLegacy12Image(tables, true, key, image));
    PhoneBase base;
    MemoryFile file(image);
    ASSERT_TRUE(readLegacy12(file, key, base));
    EXPECT_EQ(base.tables[0].textSize, 154);
    expectSameRecords(base.tables[0], TableKind::Population, {r});

    // The same for the built-in key: find a length that needs the spare byte.
    const ScrambleKey builtin = builtinScrambleKey(BuiltinScrambleKey::Body12);
    LegacyRecord small;
    size_t length = 7;
    while (scrambleIsReversible(builtin, static_cast<uint32_t>(length)))
        ++length;
    small.comment = std::string(length - 7, 'k');
    Legacy12Table plain[2] = {tableOf({small}, TableKind::Population), Legacy12Table{}};
    ASSERT_TRUE(buildLegacy12Image(plain, false, "", image));
    MemoryFile file2(image);
    PhoneBase base2;
    ASSERT_TRUE(readLegacy12(file2, "", base2));
    expectSameRecords(base2.tables[0], TableKind::Population, {small});

    // A key whose third character is 0x01 gives a distance of 0 at every length.
    EXPECT_FALSE(buildLegacy12Image(tables, true,
                                    std::string("ab\x01"
                                                "def"),
                                    image));
}

TEST(Legacy12, DamagedFilesGiveAStatusNeverACrash) {
    RecordGenerator gen(25);
    const auto pop = random12Records(gen, TableKind::Population, 3);
    const auto org = random12Records(gen, TableKind::Organizations, 2);
    const Legacy12Table tables[2] = {tableOf(pop, TableKind::Population),
                                     tableOf(org, TableKind::Organizations)};
    for (const std::string key : {"", "key"}) {
        std::vector<unsigned char> good;
        ASSERT_TRUE(buildLegacy12Image(tables, !key.empty(), key, good));
        for (size_t cut = 0; cut < good.size(); ++cut) {
            std::vector<unsigned char> image(good.begin(), good.begin() + cut);
            MemoryFile f(image);
            PhoneBase base;
            const bool ok = readLegacy12(f, key, base);
            // The last separators are not needed to read the records.
            if (cut < 110 + tables[0].text.size() + tables[1].text.size()) {
                EXPECT_FALSE(ok) << cut;
            }
            if (!ok) {
                EXPECT_NE(base.status, 0);
            }
            expectConsistent12(base);
        }
        for (size_t at = 0; at < good.size(); ++at)
            for (unsigned char flip : {0x01, 0x80, 0xFF}) {
                std::vector<unsigned char> image = good;
                image[at] ^= flip;
                MemoryFile f(image);
                PhoneBase base;
                if (!readLegacy12(f, key, base)) {
                    EXPECT_NE(base.status, 0);
                }
                expectConsistent12(base);
            }
    }
}

// ---- version 1.0 files ----

Legacy10Content random10(RecordGenerator& gen, int population, int organizations) {
    Legacy10Content c;
    for (int i = 0; i < population; ++i)
        c.tables[0].push_back(randomLegacy10Record(gen, TableKind::Population));
    for (int i = 0; i < organizations; ++i)
        c.tables[1].push_back(randomLegacy10Record(gen, TableKind::Organizations));
    return c;
}

std::vector<LegacyRecord> walked(const Legacy10Body& body, TableKind kind, bool& ok) {
    std::vector<LegacyRecord> out;
    ok = walkLegacy10Body(body, [&](TableKind k, const LegacyRecord& r) {
        if (k == kind) out.push_back(r);
    });
    return out;
}

TEST(Legacy10, HeaderForDisplay) {
    RecordGenerator gen(31);
    Legacy10Content c = random10(gen, 12, 7);
    MemoryFile plain(legacy10Image(c, ""));
    PhoneBase base;
    ASSERT_TRUE(readLegacy10Header(plain, base));
    EXPECT_EQ(base.status, StatusVersionMismatch);
    EXPECT_EQ(base.keyed, 0);
    EXPECT_EQ(base.tables[0].count, 12);
    EXPECT_EQ(base.tables[1].count, 7);
    EXPECT_EQ(base.tables[0].created, c.created[0]);
    EXPECT_EQ(base.tables[1].updated, c.updated[1]);

    MemoryFile keyed(legacy10Image(c, w("пароль"), 0x0101));
    PhoneBase kb;
    ASSERT_TRUE(readLegacy10Header(keyed, kb));
    EXPECT_EQ(kb.version, kVersion10b);
    EXPECT_EQ(kb.keyed, 1);
    EXPECT_EQ(kb.tables[0].count, 0); // not readable without the key
}

TEST(Legacy10, BodyWalkWithBuiltinAndUserKeys) {
    RecordGenerator gen(32);
    for (const std::string& key :
         std::vector<std::string>{"", w("пароль"), "\x84small", "\x83odd", "\x80huge"}) {
        Legacy10Content c = random10(gen, 30, 20);
        MemoryFile file(legacy10Image(c, key));
        Legacy10Body body;
        int32_t status = 0;
        ASSERT_TRUE(readLegacy10Body(file, key, body, status)) << status;
        EXPECT_EQ(body.count[0], 30);
        EXPECT_EQ(body.count[1], 20);
        bool ok = false;
        auto pop = walked(body, TableKind::Population, ok);
        ASSERT_TRUE(ok);
        auto org = walked(body, TableKind::Organizations, ok);
        ASSERT_EQ(pop.size(), 30u);
        ASSERT_EQ(org.size(), 20u);
        for (size_t i = 0; i < pop.size(); ++i) {
            EXPECT_EQ(pop[i].name, c.tables[0][i].name);
            EXPECT_EQ(pop[i].initials, c.tables[0][i].initials);
            EXPECT_EQ(pop[i].apartment, c.tables[0][i].apartment);
            EXPECT_EQ(pop[i].comment, c.tables[0][i].comment);
        }
        for (size_t i = 0; i < org.size(); ++i) {
            EXPECT_EQ(org[i].organization, c.tables[1][i].organization);
            EXPECT_EQ(org[i].house, c.tables[1][i].house);
        }
    }
}

TEST(Legacy10, KeyProblemsAndHeaderChecks) {
    RecordGenerator gen(33);
    Legacy10Content c = random10(gen, 20, 5);
    MemoryFile keyed(legacy10Image(c, "secret"));
    Legacy10Body body;
    int32_t status = 0;
    EXPECT_FALSE(readLegacy10Body(keyed, "", body, status));
    EXPECT_EQ(status, StatusKeyMissing);
    // A wrong key garbles the header (or, rarely, the records).
    bool ok = readLegacy10Body(keyed, "Secret", body, status);
    if (ok) {
        bool walkedOk = true;
        walked(body, TableKind::Population, walkedOk);
        EXPECT_FALSE(walkedOk);
    } else {
        EXPECT_EQ(status, StatusLoadFailed);
    }

    // Markers and counts.
    auto withHeader = [&](const std::function<void(unsigned char*)>& edit) {
        std::vector<unsigned char> image = legacy10Image(c, "");
        const auto n = static_cast<uint32_t>(image.size() - 7);
        const ScrambleKey key = builtinScrambleKey(BuiltinScrambleKey::Body10);
        scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, true);
        edit(image.data() + 7);
        scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, false);
        MemoryFile f(image);
        PhoneBase base;
        return readLegacy10Header(f, base) ? 0 : base.status;
    };
    EXPECT_EQ(withHeader([](unsigned char*) {}), 0);
    EXPECT_EQ(withHeader([](unsigned char* h) { h[12] = 6; }), StatusLoadFailed);
    EXPECT_EQ(withHeader([](unsigned char* h) { h[25] = 7; }), StatusLoadFailed);
    EXPECT_EQ(withHeader([](unsigned char* h) { putI32(h + 8, -1); }), StatusLoadFailed);
    EXPECT_EQ(withHeader([](unsigned char* h) { putI32(h + 21, 1000000); }), StatusLoadFailed);

    // A body with more records counted than present is damaged.
    std::vector<unsigned char> image = legacy10Image(c, "");
    const auto n = static_cast<uint32_t>(image.size() - 7);
    const ScrambleKey key = builtinScrambleKey(BuiltinScrambleKey::Body10);
    scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, true);
    putI32(image.data() + 7 + 21, 6);
    scrambleBlocks(image.data() + 7, n, n, key, LegacyVersion::V10, false);
    MemoryFile f(image);
    ASSERT_TRUE(readLegacy10Body(f, "", body, status));
    walked(body, TableKind::Population, ok);
    EXPECT_FALSE(ok);
}

TEST(Legacy10, EmptyTablesAreValid) {
    Legacy10Content c;
    MemoryFile file(legacy10Image(c, ""));
    PhoneBase base;
    EXPECT_TRUE(readLegacy10Header(file, base));
    Legacy10Body body;
    int32_t status = 0;
    EXPECT_TRUE(readLegacy10Body(file, "", body, status));
}

TEST(Legacy10, DamagedFilesGiveAStatusNeverACrash) {
    RecordGenerator gen(34);
    Legacy10Content c = random10(gen, 3, 2);
    for (const std::string key : {"", "key"}) {
        const std::vector<unsigned char> good = legacy10Image(c, key);
        auto probe = [&](const std::vector<unsigned char>& image) {
            MemoryFile f(image);
            PhoneBase base;
            if (!readLegacy10Header(f, base)) {
                EXPECT_NE(base.status, 0);
            }
            Legacy10Body body;
            int32_t status = 0;
            if (readLegacy10Body(f, key, body, status)) {
                int64_t records = 0;
                walkLegacy10Body(body, [&](TableKind, const LegacyRecord&) { ++records; });
                EXPECT_LE(records, int64_t{body.count[0]} + body.count[1]);
            } else {
                EXPECT_NE(status, 0);
            }
        };
        for (size_t cut = 0; cut < good.size(); ++cut)
            probe(std::vector<unsigned char>(good.begin(), good.begin() + cut));
        for (size_t at = 0; at < good.size(); ++at)
            for (unsigned char flip : {0x01, 0x80, 0xFF}) {
                std::vector<unsigned char> image = good;
                image[at] ^= flip;
                probe(image);
            }
    }
}

} // namespace
} // namespace talsk::test
