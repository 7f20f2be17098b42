// The search log: repeats, capacity, resizing, the file in both layouts,
// damaged files, the history block, stepping and combining entries.

#include "platform/cp1251.h"
#include "search/log_combine.h"
#include "search/search_log.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace talsk {
namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1251(utf8);
}

// A query with the name (field 2) and, optionally, the street (field 3).
FieldQueryText query(const char* name, const char* street = "") {
    FieldQueryText q;
    q.set(2, cp(name).c_str());
    q.set(3, cp(street).c_str());
    return q;
}

std::string name(const SearchLog& log, int i) {
    return cp1251ToUtf8(log.field(i, 2));
}

int gMinute = 0;
LogStamp testClock() {
    LogStamp s;
    s.year = 2001;
    s.month = 2;
    s.day = 3;
    s.weekday = 6;
    s.hour = 10;
    s.minute = static_cast<uint8_t>(gMinute);
    return s;
}

class SearchLogTest : public ::testing::Test {
protected:
    SearchLog log;
    void SetUp() override {
        setLogClock(&testClock);
        gMinute = 0;
        ASSERT_TRUE(resizeLog(log, 10));
        log.changed = 0;
    }
    void TearDown() override { setLogClock(nullptr); }
    void addNames(int n, int from = 0) {
        for (int i = from; i < from + n; ++i)
            addLogEntry(log, query(("Имя" + std::to_string(i)).c_str()), i);
    }
};

TEST_F(SearchLogTest, RepeatedQueryMovesToTheEndWithItsNewStamp) {
    gMinute = 1;
    addLogEntry(log, query("Иванов"), 5);
    gMinute = 2;
    addLogEntry(log, query("Петров", "Ленина"), 2);
    gMinute = 3;
    addLogEntry(log, query("ИВАНОВ"), 7);
    ASSERT_EQ(log.count, 2);
    EXPECT_EQ(name(log, 0), "Петров");
    EXPECT_EQ(cp1251ToUtf8(log.field(0, 3)), "Ленина");
    EXPECT_EQ(name(log, 1), "ИВАНОВ"); // the latest letter case
    EXPECT_EQ(log.stamps[1].hits, 7);
    EXPECT_EQ(log.stamps[1].minute, 3);
    EXPECT_EQ(log.stamps[0].minute, 2);
    EXPECT_EQ(log.changed, 1);
    // A query differing in another field is another entry.
    addLogEntry(log, query("Иванов", "Мира"), 1);
    EXPECT_EQ(log.count, 3);
}

TEST_F(SearchLogTest, FullLogDropsItsOldestEntry) {
    addNames(10);
    ASSERT_EQ(log.count, 10);
    addNames(1, 10);
    ASSERT_EQ(log.count, 10);
    EXPECT_EQ(name(log, 0), "Имя1");
    EXPECT_EQ(name(log, 9), "Имя10");
    EXPECT_EQ(log.stamps[9].hits, 10);
    EXPECT_EQ(log.stamps[0].hits, 1);
}

TEST_F(SearchLogTest, NothingIsLoggedWithoutCapacity) {
    SearchLog empty;
    addLogEntry(empty, query("Иванов"), 1);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.changed, 0);
}

TEST_F(SearchLogTest, LongTextsAreKeptToOneHundredCharacters) {
    FieldQueryText q;
    std::memset(q.slot(7), 'x', kQuerySlot - 1); // no zero within 100 characters
    addLogEntry(log, q, 0);
    ASSERT_EQ(log.count, 1);
    EXPECT_EQ(std::strlen(log.field(0, 7)), 100u);
    EXPECT_TRUE(reindexLog(log));
}

TEST_F(SearchLogTest, ResizingDropsTheOldestEntries) {
    addNames(5);
    log.changed = 0;
    ASSERT_TRUE(resizeLog(log, 3));
    EXPECT_EQ(log.capacity, 3);
    ASSERT_EQ(log.count, 3);
    EXPECT_EQ(name(log, 0), "Имя2");
    EXPECT_EQ(name(log, 2), "Имя4");
    EXPECT_EQ(log.stamps[0].hits, 2);
    EXPECT_EQ(log.changed, 1);
    ASSERT_TRUE(resizeLog(log, 20));
    EXPECT_EQ(log.count, 3);
    addNames(5, 10);
    EXPECT_EQ(log.count, 8);
    ASSERT_TRUE(resizeLog(log, 0));
    EXPECT_EQ(log.count, 0);
    EXPECT_EQ(log.textSize, 0);
    EXPECT_FALSE(resizeLog(log, -1));
}

TEST_F(SearchLogTest, RemovingEntries) {
    EXPECT_FALSE(removeLogEntry(log, 0));
    addNames(3);
    EXPECT_FALSE(removeLogEntry(log, 3));
    EXPECT_FALSE(removeLogEntry(log, -1));
    ASSERT_TRUE(removeLogEntry(log, 1));
    ASSERT_EQ(log.count, 2);
    EXPECT_EQ(name(log, 1), "Имя2");
    EXPECT_EQ(log.stamps[1].hits, 2);
    ASSERT_TRUE(removeLogEntry(log, 0));
    ASSERT_TRUE(removeLogEntry(log, 0));
    EXPECT_EQ(log.count, 0);
    EXPECT_EQ(log.textSize, 0);
}

TEST_F(SearchLogTest, ClearingKeepsTheHistoryBlock) {
    addNames(3);
    setHistory(log, {"Ленина", "Мира"});
    log.changed = 0;
    clearLog(log);
    EXPECT_EQ(log.count, 0);
    EXPECT_EQ(log.textSize, 0);
    EXPECT_EQ(log.changed, 1);
    EXPECT_EQ(takeHistory(log), (std::vector<std::string>{"Ленина", "Мира"}));
    addNames(1);
    EXPECT_EQ(log.count, 1);
}

TEST_F(SearchLogTest, ReindexRefusesTextsOverOneHundredCharacters) {
    addNames(1);
    const std::string longText(101, 'x');
    std::vector<char> text;
    for (int k = 0; k < kFieldCount; ++k) {
        const std::string& t = k == 3 ? longText : std::string("a");
        text.insert(text.end(), t.begin(), t.end());
        text.push_back('\0');
    }
    log.text = text;
    EXPECT_FALSE(reindexLog(log));
    log.text.resize(10); // entries that run past the buffer
    EXPECT_FALSE(reindexLog(log));
}

// File images for the damaged-file cases.
std::vector<unsigned char> header(uint16_t signature, int32_t count, int32_t textSize,
                                  int32_t historySize) {
    std::vector<unsigned char> b(32, 0);
    b[0] = static_cast<unsigned char>(signature);
    b[1] = static_cast<unsigned char>(signature >> 8);
    auto put = [&](size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + static_cast<size_t>(i)] =
                static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i));
    };
    put(2, count);
    put(6, textSize);
    put(10, historySize);
    return b;
}

void append(std::vector<unsigned char>& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

TEST_F(SearchLogTest, FileRoundTripKeepsEntriesStampsAndHistory) {
    test::TempDir dir;
    gMinute = 42;
    addLogEntry(log, query("Иванов", "Ленина"), 12);
    addLogEntry(log, query("Петров"), 0);
    setHistory(log, {"Ленина 5", "Мира"});
    ASSERT_TRUE(saveLog(log, dir.path()));
    EXPECT_EQ(log.changed, 0);

    const std::vector<unsigned char> bytes = test::readBytes(dir.file("search.log"));
    ASSERT_GE(bytes.size(), 32u);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0x02);
    const size_t expected =
        32 + static_cast<size_t>(log.textSize) + 12 * 2 + static_cast<size_t>(log.historySize);
    EXPECT_EQ(bytes.size(), expected);
    EXPECT_EQ(bytes[2], 2); // count
    for (size_t i = 14; i < 32; ++i)
        EXPECT_EQ(bytes[i], 0) << i;

    SearchLog loaded;
    ProgramSettings settings;
    ASSERT_TRUE(loadLog(loaded, settings, dir.path()));
    ASSERT_EQ(loaded.count, 2);
    EXPECT_EQ(name(loaded, 0), "Иванов");
    EXPECT_EQ(cp1251ToUtf8(loaded.field(0, 3)), "Ленина");
    EXPECT_EQ(name(loaded, 1), "Петров");
    EXPECT_EQ(loaded.stamps[0].hits, 12);
    EXPECT_EQ(loaded.stamps[0].minute, 42);
    EXPECT_EQ(loaded.stamps[0].year, 2001);
    EXPECT_EQ(loaded.changed, 0);
    EXPECT_EQ(loaded.capacity, 256);
    EXPECT_EQ(takeHistory(loaded), (std::vector<std::string>{"Ленина 5", "Мира"}));
    EXPECT_EQ(loaded.historySize, 0);
    EXPECT_TRUE(loaded.history.empty());
}

TEST_F(SearchLogTest, UnchangedLogIsNotWritten) {
    test::TempDir dir;
    addNames(1);
    log.changed = 0;
    EXPECT_TRUE(saveLog(log, dir.path()));
    EXPECT_TRUE(dir.entries().empty());
}

TEST_F(SearchLogTest, FailedSaveLeavesTheOldFileAndTheChangedFlag) {
    test::TempDir dir;
    addNames(2);
    ASSERT_TRUE(saveLog(log, dir.path()));
    const auto before = test::readBytes(dir.file("search.log"));
    addNames(1, 5);
    test::FaultFileSystem faulty;
    faulty.failTempWritesAfter = 10;
    {
        test::ScopedFileSystem scope(faulty);
        EXPECT_FALSE(saveLog(log, dir.path()));
    }
    EXPECT_EQ(log.changed, 1);
    EXPECT_EQ(test::readBytes(dir.file("search.log")), before);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"search.log"}));
}

TEST_F(SearchLogTest, OlderLayoutIsReadAndWrittenBackInTheCurrentOne) {
    std::vector<unsigned char> b = {0x20, 0x01, 2, 0, 0, 0};
    // phone, dropped, unit, house, name, street, organization, comment
    for (const char* s : {"123", "ab", "7", "5", "Иванов", "Ленина", "", "дом."})
        append(b, cp(s));
    for (const char* s : {"", "", "", "", "Петров", "", "Школа", ""})
        append(b, cp(s));
    ASSERT_TRUE(loadLogImage(log, b, 10));
    ASSERT_EQ(log.count, 2);
    const char* first[] = {"123", "Иванов", "Ленина", "5", "7", "", "дом."};
    for (int k = 1; k <= kFieldCount; ++k)
        EXPECT_EQ(cp1251ToUtf8(log.field(0, k)), first[k - 1]) << k;
    EXPECT_EQ(name(log, 1), "Петров");
    EXPECT_EQ(cp1251ToUtf8(log.field(1, 6)), "Школа");
    EXPECT_EQ(log.stamps[0].day, 0); // no times
    EXPECT_EQ(log.changed, 1);
    const std::vector<unsigned char> image = logImage(log);
    ASSERT_GE(image.size(), 32u);
    EXPECT_EQ(image[0], 0x01);
    EXPECT_EQ(image[1], 0x02);
    SearchLog again;
    ASSERT_TRUE(loadLogImage(again, image, 10));
    EXPECT_EQ(name(again, 0), "Иванов");
}

TEST_F(SearchLogTest, DamagedFilesGiveAnEmptyLogAndHistory) {
    addNames(2);
    setHistory(log, {"история"});
    const std::vector<unsigned char> good = logImage(log);
    SearchLog probe;
    ASSERT_TRUE(loadLogImage(probe, good, 10));

    std::vector<std::vector<unsigned char>> damaged;
    auto longer = good;
    longer.push_back(0);
    damaged.push_back(longer);
    auto shorter = good;
    shorter.pop_back();
    damaged.push_back(shorter);
    auto foreign = good;
    foreign[0] = 0x02;
    foreign[1] = 0x01;
    damaged.push_back(foreign);
    damaged.push_back({0x01, 0x02, 1, 0});
    damaged.push_back(header(0x0201, -1, 0, 0));
    // A text of 101 characters.
    {
        auto b = header(0x0201, 1, 0, 0);
        std::vector<unsigned char> text;
        append(text, std::string(101, 'x'));
        for (int k = 1; k < kFieldCount; ++k)
            append(text, "");
        b[6] = static_cast<unsigned char>(text.size());
        b.insert(b.end(), text.begin(), text.end());
        b.resize(b.size() + 12, 0);
        damaged.push_back(b);
    }
    // A count that the text block cannot hold (the length still agrees).
    {
        auto b = header(0x0201, 3, 7, 0);
        b.resize(32 + 7 + 36, 0);
        damaged.push_back(b);
    }
    // Older layout ending inside an entry, and one claiming too many entries.
    {
        std::vector<unsigned char> b = {0x20, 0x01, 1, 0, 0, 0};
        for (const char* s : {"1", "", "", ""})
            append(b, s);
        damaged.push_back(b);
        std::vector<unsigned char> c = {0x20, 0x01, 0xFF, 0xFF, 0xFF, 0x7F};
        damaged.push_back(c);
    }
    for (size_t i = 0; i < damaged.size(); ++i) {
        SearchLog l;
        EXPECT_FALSE(loadLogImage(l, damaged[i], 10)) << "case " << i;
        EXPECT_EQ(l.count, 0) << "case " << i;
        EXPECT_EQ(l.textSize, 0);
        EXPECT_TRUE(takeHistory(l).empty()) << "case " << i;
        EXPECT_EQ(l.capacity, 10);
        addLogEntry(l, query("после"), 1); // usable afterwards
        EXPECT_EQ(l.count, 1);
    }
}

TEST_F(SearchLogTest, RandomBytesNeverCrashTheReader) {
    uint32_t seed = 5;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 24;
    };
    const std::vector<unsigned char> good = [&] {
        addNames(3);
        return logImage(log);
    }();
    for (int round = 0; round < 3000; ++round) {
        std::vector<unsigned char> b = good;
        if (round % 3 == 0) b.resize(next() % 80);
        for (int flips = 1 + static_cast<int>(next() % 4); flips > 0 && !b.empty(); --flips)
            b[next() % b.size()] = static_cast<unsigned char>(next());
        if (round % 5 == 0 && b.size() >= 2) {
            b[0] = 0x20;
            b[1] = 0x01;
        }
        SearchLog l;
        (void)loadLogImage(l, b, 10); // damaged or not, what is read must hold together
        ASSERT_GE(l.count, 0);
        ASSERT_LE(l.count, 10);
        for (int i = 0; i < l.count; ++i)
            for (int k = 1; k <= kFieldCount; ++k)
                ASSERT_LE(std::strlen(l.field(i, k)), 100u);
        takeHistory(l);
    }
}

TEST_F(SearchLogTest, LoadingBringsTheCapacityIntoRange) {
    test::TempDir dir;
    ProgramSettings settings;
    settings.searchLogCapacity = 5;
    SearchLog l;
    EXPECT_FALSE(loadLog(l, settings, dir.path())); // no file
    EXPECT_EQ(settings.searchLogCapacity, 10);
    EXPECT_EQ(l.capacity, 10);
    EXPECT_EQ(l.count, 0);
    settings.searchLogCapacity = 5000;
    loadLog(l, settings, dir.path());
    EXPECT_EQ(settings.searchLogCapacity, 999);

    // A file with more entries than the capacity keeps the newest.
    ASSERT_TRUE(resizeLog(log, 30));
    addNames(15);
    ASSERT_TRUE(saveLog(log, dir.path()));
    settings.searchLogCapacity = 10;
    ASSERT_TRUE(loadLog(l, settings, dir.path()));
    ASSERT_EQ(l.count, 10);
    EXPECT_EQ(name(l, 0), "Имя5");
    EXPECT_EQ(l.stamps[0].hits, 5);
    EXPECT_EQ(l.changed, 1);
}

TEST_F(SearchLogTest, HistoryStringThatRunsPastTheBlockEmptiesTheList) {
    log.history = {'a', 0, 'b', 'c'};
    log.historySize = 4;
    EXPECT_TRUE(takeHistory(log).empty());
    EXPECT_EQ(log.historySize, 0);
    log.history = {'a', 0, 'b', 0};
    log.historySize = 4;
    EXPECT_EQ(takeHistory(log), (std::vector<std::string>{"a", "b"}));
}

TEST_F(SearchLogTest, SteppingThroughTheLog) {
    FieldQueryText out;
    uint16_t position = 0;
    EXPECT_FALSE(stepHistory(log, position, true, out));
    EXPECT_FALSE(stepHistory(log, position, false, out));
    EXPECT_EQ(position, 0);

    addNames(3);
    position = static_cast<uint16_t>(log.count); // after a logged search
    ASSERT_TRUE(stepHistory(log, position, false, out));
    EXPECT_EQ(position, 2);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "Имя2");
    stepHistory(log, position, false, out);
    ASSERT_TRUE(stepHistory(log, position, false, out));
    EXPECT_EQ(position, 0);
    ASSERT_TRUE(stepHistory(log, position, false, out));
    EXPECT_EQ(position, 0);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "Имя0");
    for (int i = 0; i < 5; ++i)
        stepHistory(log, position, true, out);
    EXPECT_EQ(position, 2);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "Имя2");

    // A position left beyond a log that shrank steps back to the newest entry.
    position = 40;
    ASSERT_TRUE(stepHistory(log, position, false, out));
    EXPECT_EQ(position, 2);
}

TEST_F(SearchLogTest, CombiningSelectedEntriesFieldByField) {
    addLogEntry(log, query("Иванов"), 1);
    addLogEntry(log, query("Петров", "Ленина"), 1);
    FieldQueryText out;
    combineLogEntries(log, {0, 1}, '|', out);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "Иванов|Петров");
    EXPECT_EQ(cp1251ToUtf8(out.slot(3)), "Ленина");
    EXPECT_EQ(out.slot(1)[0], '\0');
    combineLogEntries(log, {1, 0}, '&', out);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "Петров&Иванов");

    // Texts holding the operator are squeezed with the rest.
    addLogEntry(log, query("|a||b|"), 1);
    combineLogEntries(log, {2, 0}, '|', out);
    EXPECT_EQ(cp1251ToUtf8(out.slot(2)), "a|b|Иванов");
    combineLogEntries(log, {7, -1}, '|', out);
    EXPECT_EQ(out.slot(2)[0], '\0');
}

TEST_F(SearchLogTest, CombinedSlotsStayBelowNinetyNineCharacters) {
    const std::string fifty(50, 'a'), fortySeven(47, 'b'), fortyEight(48, 'c'), one(1, 'd');
    for (const std::string* s : {&fifty, &fortySeven, &fortyEight, &one}) {
        FieldQueryText q;
        q.set(7, s->c_str());
        addLogEntry(log, q, 0);
    }
    FieldQueryText out;
    // 50 + '|' = 51; 51 + 47 = 98 < 99: taken (99 with its '|'); 99 + 48 is
    // not; 99 + 1 = 100 is not either.
    combineLogEntries(log, {0, 1, 2, 3}, '|', out);
    EXPECT_EQ(std::string(out.slot(7)), fifty + "|" + fortySeven);
    // 50 + '|' + 48 = 99: left out.
    combineLogEntries(log, {0, 2, 3}, '|', out);
    EXPECT_EQ(std::string(out.slot(7)), fifty + "|" + one);
}

} // namespace
} // namespace talsk
