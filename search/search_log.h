#pragma once
// The search log ("Журнал поиска"): the searches by fields the user ran, with
// when they ran and how many records they found, kept between runs in
// "search.log" together with the general search bar's history list.

#include "base/settings.h"
#include "platform/write_error.h"
#include "search/search_engine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talsk {

constexpr const char* kSearchLogFileName = "search.log";
constexpr uint16_t kLogSignature = 0x0201;    // read and written
constexpr uint16_t kOldLogSignature = 0x0120; // read only
constexpr int kLogHeaderSize = 32;
constexpr int kLogTextMax = 100; // characters of one text of an entry
constexpr int kLogCapacityMin = 10;
constexpr int kLogCapacityMax = 999;

// Where entry i lies in the text buffer: its first text (field 1) as an
// offset into the buffer, then the offsets of fields 2..7 from there.
struct LogIndexEntry {
    uint32_t start = 0;
    uint16_t offset[6] = {};
};

#pragma pack(push, 1)
// The same 12 bytes in memory and in the file (little-endian).
struct LogStamp {
    int16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;     // 0 = no stamp
    uint8_t weekday = 0; // 0 = Sunday
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t reserved = 0;
    int32_t hits = 0;
};
#pragma pack(pop)
static_assert(sizeof(LogStamp) == 12);

struct SearchLog {
    std::vector<char> text;           // packed entries, back to back; textSize bytes used
    std::vector<char> history;        // the bar's history strings, only while loading or saving
    std::vector<LogIndexEntry> index; // count + 1 used
    std::vector<LogStamp> stamps;     // count used
    int32_t textSize = 0;
    int32_t historySize = 0;
    int32_t count = 0;
    int32_t capacity = 0;
    uint8_t changed = 0;

    // Text of field k (1..7) of entry i (0 <= i < count).
    const char* field(int i, int k) const;
};

// Appends a query as the newest entry with the local time and hits; an equal
// query (letter case ignored) moves to the end instead, and a full log drops
// its oldest entry. Nothing happens while capacity is 0 or less.
void addLogEntry(SearchLog& log, const FieldQueryText& query, int32_t hits);
[[nodiscard]] bool removeLogEntry(SearchLog& log, int entry);
// Drops the oldest entries beyond the new capacity.
[[nodiscard]] bool resizeLog(SearchLog& log, int capacity);
// Empties the log; the history block stays.
void clearLog(SearchLog& log);
// Rebuilds the index from the text buffer; fails on a text over 100
// characters or on entries that run past the buffer.
[[nodiscard]] bool reindexLog(SearchLog& log);

std::string searchLogPath(const std::string& folder);
// Reads "search.log" of folder; brings the settings' searchLogCapacity into
// 10..999 first. A missing or damaged file gives an empty log and history
// (returns false then).
bool loadLog(SearchLog& log, ProgramSettings& settings, const std::string& folder);
// The same from the bytes of a file.
[[nodiscard]] bool loadLogImage(SearchLog& log, const std::vector<unsigned char>& bytes,
                                int capacity);
// Writes "search.log" of folder when the log changed (always in the 0x0201
// layout); never leaves a damaged file. False when it could not be written.
[[nodiscard]] bool saveLog(SearchLog& log, const std::string& folder, WriteError* cause = nullptr);
// The file's bytes (reindexes first; empty on failure).
std::vector<unsigned char> logImage(SearchLog& log);

// The bar's history list from the history block, which is then freed. A
// string that runs past the block empties the list.
std::vector<std::string> takeHistory(SearchLog& log);
// Packs the bar's list into the history block for saving.
void setHistory(SearchLog& log, const std::vector<std::string>& list);

// The seven texts of entry i.
void logEntryQuery(const SearchLog& log, int entry, FieldQueryText& out);

// PgDown ("Назад", forward false) and PgUp ("Вперед", forward true): moves
// position one entry and, when it then names an entry, writes that entry's
// texts into out and returns true. With an empty log nothing changes.
bool stepHistory(const SearchLog& log, uint16_t& position, bool forward, FieldQueryText& out);

// The local time stamp for an entry found now; tests may replace the clock
// (nullptr restores it).
using LogClock = LogStamp (*)();
void setLogClock(LogClock clock);

} // namespace talsk
