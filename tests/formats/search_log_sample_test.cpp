// The search log samples: "search.log" in the layout the program writes
// (stamps and the general search history) and in the older layout it only
// reads (eight strings per entry, no stamps, no history).

#include "formats/sample_files.h"
#include "platform/cp1251.h"
#include "platform/little_endian.h"
#include "search/search_log.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

using Texts = std::array<std::string, kFieldCount>; // UTF-8, fields 1..7

const std::string kText100 = "Тальск " + std::string(93, '*');

// Entries of search.log, oldest first, each with the hits of its search.
struct LoggedSearch {
    Texts texts;
    int32_t hits;
};
const LoggedSearch kSearches[] = {
    {{"", "Иванов", "Ленина", "", "", "", ""}, 12},
    {{"2-15*", "", "", "", "", "«Тальский завод»|Аптека", ""}, 3},
    {{"", "", "", "", "", "", kText100}, 0},
    {{"", "ёлкина+мира", "", "7", "", "", "без звонков & поздно"}, 1},
};
const std::vector<std::string> kHistory = {"иванов", "Тальский завод", "2-15-00"};

FieldQueryText queryOf(const Texts& texts) {
    FieldQueryText q;
    for (int k = 1; k <= kFieldCount; ++k)
        q.set(k, utf8ToCp1251(texts[static_cast<size_t>(k - 1)]).c_str());
    return q;
}

Texts textsOf(const SearchLog& log, int entry) {
    Texts t;
    for (int k = 1; k <= kFieldCount; ++k)
        t[static_cast<size_t>(k - 1)] = cp1251ToUtf8(log.field(entry, k));
    return t;
}

// Entry i ran on Saturday 3.02.2001 at 9:(10 + i).
int gEntry = 0;
LogStamp sampleClock() {
    LogStamp s;
    s.year = 2001;
    s.month = 2;
    s.day = 3;
    s.weekday = 6;
    s.hour = 9;
    s.minute = static_cast<uint8_t>(10 + gEntry++);
    return s;
}

std::vector<std::string> cp1251(const std::vector<std::string>& utf8) {
    std::vector<std::string> out;
    for (const std::string& s : utf8)
        out.push_back(utf8ToCp1251(s));
    return out;
}

TEST(SearchLogSample, WriterReproducesTheSample) {
    SearchLog log;
    ASSERT_TRUE(resizeLog(log, 10));
    gEntry = 0;
    setLogClock(&sampleClock);
    for (const LoggedSearch& s : kSearches)
        addLogEntry(log, queryOf(s.texts), s.hits);
    setLogClock(nullptr);
    setHistory(log, cp1251(kHistory));
    TempDir dir;
    ASSERT_TRUE(saveLog(log, dir.path()));
    expectSampleBytes("search.log", readBytes(searchLogPath(dir.path())));
}

TEST(SearchLogSample, ReadsEntriesStampsAndHistory) {
    const std::vector<unsigned char> sample = sampleBytes("search.log");
    SearchLog log;
    ASSERT_TRUE(loadLogImage(log, sample, 256));
    ASSERT_EQ(log.count, 4);
    for (int i = 0; i < log.count; ++i) {
        EXPECT_EQ(textsOf(log, i), kSearches[i].texts) << "entry " << i;
        const LogStamp& s = log.stamps[static_cast<size_t>(i)];
        EXPECT_EQ(s.hits, kSearches[i].hits);
        EXPECT_EQ(s.year * 10000 + s.month * 100 + s.day, 20010203);
        EXPECT_EQ(s.weekday, 6);
        EXPECT_EQ(s.hour * 100 + s.minute, 910 + i);
    }
    EXPECT_EQ(takeHistory(log), cp1251(kHistory));
    // Written back, the log is the same file.
    setHistory(log, cp1251(kHistory));
    EXPECT_EQ(logImage(log), sample);
}

// The older layout: phone, a string of at most 4 characters that is dropped,
// unit, house, name, street, organization, comment.
struct OldEntry {
    Texts texts;
    const char* dropped;
};
const OldEntry kOldEntries[] = {
    {{"2-45*", "Иванов", "Ленина", "12а", "45", "", ""}, "ИИ"},
    {{"", "", "", "", "", "Аптека", ""}, ""},
    {{"", kText100, "", "", "", "", kText100}, "abcd"},
};

std::vector<unsigned char> makeOldLog() {
    std::vector<unsigned char> out;
    appendU16(out, kOldLogSignature);
    appendI32(out, static_cast<int32_t>(std::size(kOldEntries)));
    for (const OldEntry& e : kOldEntries) {
        const Texts& t = e.texts;
        for (const std::string& s :
             {t[0], std::string(e.dropped), t[4], t[3], t[1], t[2], t[5], t[6]}) {
            const std::string bytes = utf8ToCp1251(s);
            out.insert(out.end(), bytes.begin(), bytes.end());
            out.push_back(0);
        }
    }
    return out;
}

TEST(SearchLogSample, OlderLayoutComesFromItsGenerator) {
    expectSampleBytes("search-old.log", makeOldLog());
}

TEST(SearchLogSample, ReadsTheOlderLayoutForRewriting) {
    SearchLog log;
    ASSERT_TRUE(loadLogImage(log, sampleBytes("search-old.log"), 256));
    ASSERT_EQ(log.count, 3);
    for (int i = 0; i < log.count; ++i) {
        EXPECT_EQ(textsOf(log, i), kOldEntries[i].texts) << "entry " << i;
        EXPECT_EQ(log.stamps[static_cast<size_t>(i)].day, 0) << "no stamp";
    }
    EXPECT_EQ(log.changed, 1);
    EXPECT_TRUE(takeHistory(log).empty());
}

} // namespace
} // namespace talsk::test
