#include "support/legacy_images.h"

#include "base/cipher.h"
#include "base/codec.h"
#include "base/legacy_scramble.h"
#include "platform/memory_file.h"

#include <gtest/gtest.h>

namespace talsk::test {

namespace {

void putDate(std::vector<unsigned char>& out, size_t at, const BaseDate& d) {
    out[at] = static_cast<unsigned char>(static_cast<uint16_t>(d.year));
    out[at + 1] = static_cast<unsigned char>(static_cast<uint16_t>(d.year) >> 8);
    out[at + 2] = d.month;
    out[at + 3] = d.day;
}

std::string legacyText(RecordGenerator& gen, int maxLength) {
    std::string s = gen.text(maxLength);
    for (char& c : s)
        if (c == static_cast<char>(kLegacy10FieldEnd)) c = 'x';
    return s;
}

} // namespace

std::vector<unsigned char> legacy10Image(const Legacy10Content& content,
                                         const std::string& typedKey, uint16_t version) {
    std::vector<unsigned char> body(26, 0);
    for (int k = 0; k < 2; ++k) {
        const size_t at = static_cast<size_t>(13 * k);
        putDate(body, at, content.created[k]);
        putDate(body, at + 4, content.updated[k]);
        putI32(body.data() + at + 8, static_cast<int32_t>(content.tables[k].size()));
    }
    body[12] = 7;
    body[25] = 6;
    for (int k = 0; k < 2; ++k)
        for (const LegacyRecord& r : content.tables[k]) {
            const std::string* fields[7];
            int n = 0;
            if (k == 0) {
                for (const std::string* f : {&r.phone, &r.name, &r.initials, &r.street, &r.house,
                                             &r.apartment, &r.comment})
                    fields[n++] = f;
            } else {
                for (const std::string* f :
                     {&r.phone, &r.name, &r.organization, &r.street, &r.house, &r.comment})
                    fields[n++] = f;
            }
            for (int i = 0; i < n; ++i) {
                body.insert(body.end(), fields[i]->begin(), fields[i]->end());
                body.push_back(kLegacy10FieldEnd);
            }
        }
    const ScrambleKey key =
        typedKey.empty() ? builtinScrambleKey(BuiltinScrambleKey::Body10) : scrambleKeyOf(typedKey);
    if (!scrambleIsReversible(key, static_cast<uint32_t>(body.size()))) body.push_back(0);
    EXPECT_TRUE(scrambleIsReversible(key, static_cast<uint32_t>(body.size())));
    scrambleBlocks(body.data(), body.size(), static_cast<uint32_t>(body.size()), key,
                   LegacyVersion::V10, false);
    std::vector<unsigned char> image = {static_cast<unsigned char>(version),
                                        static_cast<unsigned char>(version >> 8),
                                        static_cast<unsigned char>(typedKey.empty() ? 1 : 0),
                                        0,
                                        0,
                                        0,
                                        0};
    image.insert(image.end(), body.begin(), body.end());
    return image;
}

LegacyRecord randomLegacy10Record(RecordGenerator& gen, TableKind kind) {
    LegacyRecord r;
    r.phone = legacyText(gen, 7);
    r.name = legacyText(gen, 40);
    r.street = legacyText(gen, 40);
    r.house = legacyText(gen, 6);
    r.comment = legacyText(gen, 60);
    if (kind == TableKind::Population) {
        r.initials = legacyText(gen, 2);
        r.apartment = legacyText(gen, 3);
    } else {
        r.organization = legacyText(gen, 80);
    }
    return r;
}

std::vector<unsigned char> image20b(const BaseContent& content, const std::string& fileKey) {
    MemoryFile file;
    file.bytes().resize(106);
    file.seek(106);
    static constexpr unsigned char separator[4] = {1, 2, 2, 1};
    int32_t stored[3], textSize[3];
    for (int k = 0; k < 3; ++k) {
        std::string pool;
        for (const RecordTexts& r : content.tables[k])
            for (int f : {1, 5, 4, 3, 2, 6, 7}) {
                pool += r[static_cast<size_t>(f - 1)];
                pool += '\0';
            }
        textSize[k] = static_cast<int32_t>(pool.size());
        stored[k] = static_cast<int32_t>(
            packTable(file, fileKey, pool.data(), static_cast<int32_t>(pool.size())));
        EXPECT_GE(stored[k], 0);
        file.write(separator, 4);
    }
    std::vector<unsigned char>& bytes = file.bytes();
    bytes[0] = 0x00;
    bytes[1] = 0x02;
    bytes[2] = 3;
    bytes[3] = fileKey.empty() ? 0 : 1;
    for (int k = 0; k < 3; ++k) {
        unsigned char* d = bytes.data() + 10 + 32 * k;
        putI32(d, static_cast<int32_t>(content.tables[k].size()));
        d[4] = 0xD1;
        d[5] = 0x07; // 2001
        d[6] = 2;
        d[7] = static_cast<unsigned char>(3 + k);
        d[8] = 0xD2;
        d[9] = 0x07; // 2002
        d[10] = 12;
        d[11] = static_cast<unsigned char>(30 - k);
        putI32(d + 12, textSize[k]);
        putI32(d + 16, 262144);
        putI32(d + 20, stored[k]);
    }
    char key2[33];
    makeBuiltinKey(2, key2);
    encipher(bytes.data() + 10, 96, key2);
    return bytes;
}

RecordTexts randomRecordWithin12(RecordGenerator& gen, TableKind kind) {
    static constexpr int population[8] = {0, 9, 60, 60, 8, 4, 0, 100};
    static constexpr int organizations[8] = {0, 9, 60, 60, 8, 5, 80, 100};
    static constexpr int cityCodes[8] = {0, 10, 80, 60, 0, 0, 0, 100};
    const int* limits = kind == TableKind::Population      ? population
                        : kind == TableKind::Organizations ? organizations
                                                           : cityCodes;
    RecordTexts r;
    for (int k = 1; k <= kFieldCount; ++k)
        if (limits[k] > 0) r[static_cast<size_t>(k - 1)] = gen.text(limits[k]);
    return r;
}

} // namespace talsk::test
