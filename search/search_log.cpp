#include "search/search_log.h"

#include "base/char_tables.h"
#include "platform/atomic_write.h"
#include "platform/file.h"
#include "platform/journal.h"
#include "platform/little_endian.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <utility>

namespace talsk {

namespace {

constexpr size_t kTextGrowth = 8192;
// A log of 999 entries with a long history stays far below this; anything
// larger is not a log file of ours.
constexpr int64_t kMaxLogFileSize = 16 * 1024 * 1024;
constexpr int kOldStrings = 8;

std::mutex gClockMutex;
LogClock gClock = nullptr;

LogStamp stampNow(int32_t hits) {
    LogStamp s;
    std::lock_guard<std::mutex> lock(gClockMutex);
    if (gClock) {
        s = gClock();
    } else {
        std::time_t now = std::time(nullptr);
        if (const std::tm* t = std::localtime(&now)) {
            s.year = static_cast<int16_t>(t->tm_year + 1900);
            s.month = static_cast<uint8_t>(t->tm_mon + 1);
            s.day = static_cast<uint8_t>(t->tm_mday);
            s.weekday = static_cast<uint8_t>(t->tm_wday);
            s.hour = static_cast<uint8_t>(t->tm_hour);
            s.minute = static_cast<uint8_t>(t->tm_min);
        }
    }
    s.hits = hits;
    return s;
}

// Room in the index and stamp arrays for `entries` entries and the closing one.
void ensureSlots(SearchLog& log, size_t entries) {
    if (log.index.size() < entries + 1) log.index.resize(entries + 1);
    if (log.stamps.size() < entries + 1) log.stamps.resize(entries + 1);
}

// An empty log with room for `capacity` entries; the history block goes too.
void emptyLog(SearchLog& log, int capacity) {
    log.text.assign(4, '\0');
    log.history.clear();
    log.index.assign(static_cast<size_t>(std::max(capacity, 0)) + 1, LogIndexEntry{});
    log.stamps.assign(static_cast<size_t>(std::max(capacity, 0)) + 1, LogStamp{});
    log.textSize = 0;
    log.historySize = 0;
    log.count = 0;
    log.capacity = capacity;
    log.changed = 0;
}

// Length of the slot's text as an entry keeps it.
size_t slotLength(const char* slot) {
    return strnlen(slot, kLogTextMax);
}

bool sameQuery(const SearchLog& log, int i, const FieldQueryText& query) {
    const UpperTable& up = upperTable();
    for (int k = 1; k <= kFieldCount; ++k) {
        const auto* a = reinterpret_cast<const unsigned char*>(log.field(i, k));
        const auto* b = reinterpret_cast<const unsigned char*>(query.slot(k));
        const size_t n = slotLength(query.slot(k));
        if (std::strlen(log.field(i, k)) != n) return false;
        for (size_t j = 0; j < n; ++j)
            if (up[a[j]] != up[b[j]]) return false;
    }
    return true;
}

// Drops the `drop` oldest entries (the index must be current).
void dropOldest(SearchLog& log, int drop) {
    if (drop <= 0) return;
    const uint32_t cut = log.index[static_cast<size_t>(drop)].start;
    std::memmove(log.text.data(), log.text.data() + cut, static_cast<size_t>(log.textSize) - cut);
    log.textSize -= static_cast<int32_t>(cut);
    std::copy(log.stamps.begin() + drop, log.stamps.begin() + log.count, log.stamps.begin());
    log.count -= drop;
}

// Reads one zero-terminated string of at most kLogTextMax characters at pos.
bool readString(const unsigned char* bytes, size_t size, size_t& pos, size_t& length) {
    size_t n = 0;
    while (pos + n < size && bytes[pos + n] != 0) {
        if (++n > static_cast<size_t>(kLogTextMax)) return false;
    }
    if (pos + n >= size) return false;
    length = n;
    pos += n + 1;
    return true;
}

// The entries of the older layout, each eight strings: phone, a dropped
// string, unit, house, name, street, organization, comment.
bool convertOldEntries(SearchLog& log, const unsigned char* bytes, size_t size, int32_t count) {
    // Which old string each field takes, in field order 1..7.
    constexpr int kFromOld[kFieldCount] = {0, 4, 5, 3, 2, 6, 7};
    std::vector<char>& out = log.text;
    out.clear();
    size_t pos = 0;
    for (int32_t i = 0; i < count; ++i) {
        size_t start[kOldStrings];
        size_t length[kOldStrings];
        for (int s = 0; s < kOldStrings; ++s) {
            start[s] = pos;
            if (!readString(bytes, size, pos, length[s])) return false;
        }
        for (int k = 0; k < kFieldCount; ++k) {
            const int s = kFromOld[k];
            out.insert(out.end(), bytes + start[s], bytes + start[s] + length[s]);
            out.push_back('\0');
        }
    }
    out.resize((out.size() + 3) & ~size_t{3}, '\0');
    return true;
}

// The four numbers at the head of a 0x0201 file.
struct LogHeader {
    uint16_t signature = kLogSignature;
    int32_t count = 0;
    int32_t textSize = 0;
    int32_t historySize = 0;
};

// The writer's side of logLayout's one step that is not a plain field.
class LogWriter : public ByteWriter {
public:
    bool room(const LogHeader&, const SearchLog&) { return true; }
};

// The reader's side: the header must account for every byte of the file
// before the log is sized to take the rest.
class LogReader : public ByteReader {
public:
    LogReader(const std::vector<unsigned char>& bytes, int capacity)
        : ByteReader(bytes.data(), bytes.size()), size_(bytes.size()), capacity_(capacity) {}

    bool room(const LogHeader& h, SearchLog& log) {
        if (ended() || h.count < 0 || h.textSize < 0 || h.historySize < 0) return false;
        const int64_t expected = int64_t{kLogHeaderSize} + h.textSize +
                                 int64_t{static_cast<int64_t>(sizeof(LogStamp))} * h.count +
                                 h.historySize;
        if (expected != static_cast<int64_t>(size_)) return false;
        log.text.assign((static_cast<size_t>(h.textSize) + 3) & ~size_t{3}, '\0');
        ensureSlots(log, static_cast<size_t>(std::max(h.count, capacity_)));
        log.history.assign(static_cast<size_t>(h.historySize), '\0');
        return true;
    }

private:
    size_t size_;
    int capacity_;
};

// The 0x0201 file, field by field: a 32-byte header, the packed texts, one
// stamp per entry, then the bar's history block. Walked by LogWriter with a
// const log and by LogReader with the log to fill.
template <class Io, class Header, class Log> bool logLayout(Io& io, Header& h, Log& log) {
    io.u16(h.signature);
    io.i32(h.count);
    io.i32(h.textSize);
    io.i32(h.historySize);
    io.reserved(kLogHeaderSize - 14); // the rest of the header
    if (!io.room(h, log)) return false;
    io.bytes(log.text.data(), static_cast<size_t>(h.textSize));
    for (int32_t i = 0; i < h.count; ++i) {
        auto& s = log.stamps[static_cast<size_t>(i)];
        io.i16(s.year);
        io.u8(s.month);
        io.u8(s.day);
        io.u8(s.weekday);
        io.u8(s.hour);
        io.u8(s.minute);
        io.u8(s.reserved);
        io.i32(s.hits);
    }
    io.bytes(log.history.data(), static_cast<size_t>(h.historySize));
    return !io.ended();
}

} // namespace

const char* SearchLog::field(int i, int k) const {
    const LogIndexEntry& e = index[static_cast<size_t>(i)];
    return text.data() + e.start + (k == 1 ? 0 : e.offset[k - 2]);
}

bool reindexLog(SearchLog& log) {
    if (log.count < 0) return false;
    ensureSlots(log, static_cast<size_t>(log.count));
    const auto* bytes = reinterpret_cast<const unsigned char*>(log.text.data());
    const size_t size = log.text.size();
    size_t pos = 0;
    for (int32_t i = 0; i < log.count; ++i) {
        LogIndexEntry& e = log.index[static_cast<size_t>(i)];
        e.start = static_cast<uint32_t>(pos);
        for (int k = 0; k < kFieldCount; ++k) {
            if (k > 0) e.offset[k - 1] = static_cast<uint16_t>(pos - e.start);
            size_t length = 0;
            if (!readString(bytes, size, pos, length)) return false;
        }
    }
    log.index[static_cast<size_t>(log.count)] = LogIndexEntry{static_cast<uint32_t>(pos), {}};
    log.textSize = static_cast<int32_t>(pos);
    return true;
}

bool removeLogEntry(SearchLog& log, int entry) {
    if (log.count <= 0 || entry < 0 || entry >= log.count || !reindexLog(log)) return false;
    const uint32_t start = log.index[static_cast<size_t>(entry)].start;
    const uint32_t end = log.index[static_cast<size_t>(entry) + 1].start;
    std::memmove(log.text.data() + start, log.text.data() + end,
                 static_cast<size_t>(log.textSize) - end);
    log.textSize -= static_cast<int32_t>(end - start);
    std::copy(log.stamps.begin() + entry + 1, log.stamps.begin() + log.count,
              log.stamps.begin() + entry);
    --log.count;
    return reindexLog(log);
}

void addLogEntry(SearchLog& log, const FieldQueryText& query, int32_t hits) {
    if (log.capacity <= 0) return;
    // The log in memory is of the program's own making: its entries always
    // index, and the entries removed below exist.
    (void)reindexLog(log);
    int found = -1;
    for (int i = log.count - 1; i >= 0; --i)
        if (sameQuery(log, i, query)) {
            found = i;
            break;
        }
    if (found >= 0)
        (void)removeLogEntry(log, found);
    else
        while (log.count >= log.capacity && log.count > 0)
            (void)removeLogEntry(log, 0);

    char packed[kFieldCount * (kLogTextMax + 1)];
    size_t n = 0;
    for (int k = 1; k <= kFieldCount; ++k) {
        const size_t len = slotLength(query.slot(k));
        std::memcpy(packed + n, query.slot(k), len);
        n += len;
        packed[n++] = '\0';
    }
    const size_t need = static_cast<size_t>(log.textSize) + n;
    if (log.text.size() < need) {
        size_t grown = std::max(log.text.size() + kTextGrowth, need);
        log.text.resize((grown + 3) & ~size_t{3}, '\0');
    }
    std::memcpy(log.text.data() + log.textSize, packed, n);
    ensureSlots(log, static_cast<size_t>(log.count) + 1);
    log.stamps[static_cast<size_t>(log.count)] = stampNow(hits);
    ++log.count;
    log.changed = 1;
    (void)reindexLog(log);
}

bool resizeLog(SearchLog& log, int capacity) {
    if (capacity < 0 || !reindexLog(log)) return false;
    log.capacity = capacity;
    if (log.count > capacity) dropOldest(log, log.count - capacity);
    log.index.resize(static_cast<size_t>(capacity) + 1);
    log.stamps.resize(static_cast<size_t>(capacity) + 1);
    log.index.shrink_to_fit();
    log.stamps.shrink_to_fit();
    log.changed = 1;
    return reindexLog(log);
}

void clearLog(SearchLog& log) {
    log.text.assign(4, '\0');
    const size_t slots = static_cast<size_t>(std::max(log.capacity, 0)) + 1;
    log.index.assign(slots, LogIndexEntry{});
    log.stamps.assign(slots, LogStamp{});
    log.count = 0;
    log.textSize = 0;
    log.changed = 1;
}

std::string searchLogPath(const std::string& folder) {
    return joinPath(folder, kSearchLogFileName);
}

bool loadLogImage(SearchLog& log, const std::vector<unsigned char>& bytes, int capacity) {
    emptyLog(log, capacity);
    auto damaged = [&] {
        emptyLog(log, capacity);
        return false;
    };
    const size_t size = bytes.size();
    if (size < 6) return damaged();
    const unsigned char* b = bytes.data();
    const uint16_t signature = getU16(b);

    if (signature == kLogSignature) {
        LogReader r(bytes, capacity);
        LogHeader h;
        if (!logLayout(r, h, log)) return damaged();
        log.historySize = h.historySize;
        log.count = h.count;
    } else if (signature == kOldLogSignature) {
        const int32_t count = getI32(b + 2);
        if (count < 0) return damaged();
        // Every old entry takes eight bytes at least.
        if (static_cast<size_t>(count) > (size - 6) / kOldStrings) return damaged();
        if (!convertOldEntries(log, b + 6, size - 6, count)) return damaged();
        ensureSlots(log, static_cast<size_t>(std::max(count, capacity)));
        log.count = count;
        log.changed = 1; // written back in the current layout
    } else {
        return damaged();
    }

    if (!reindexLog(log)) return damaged();
    if (capacity < log.count) (void)resizeLog(log, capacity); // reindexed just above
    return true;
}

bool loadLog(SearchLog& log, ProgramSettings& settings, const std::string& folder) {
    int capacity = settings.searchLogCapacity;
    capacity = std::clamp(capacity, kLogCapacityMin, kLogCapacityMax);
    settings.searchLogCapacity = static_cast<uint16_t>(capacity);

    std::vector<unsigned char> bytes;
    (void)recoverFile(searchLogPath(folder));
    std::unique_ptr<File> file = fileSystem().open(searchLogPath(folder), OpenMode::ReadShared);
    const int64_t length = file ? file->length() : -1;
    if (length < 0 || length > kMaxLogFileSize) {
        emptyLog(log, capacity);
        return false;
    }
    bytes.resize(static_cast<size_t>(length));
    if (!file->readExact(bytes.data(), length)) {
        emptyLog(log, capacity);
        return false;
    }
    return loadLogImage(log, bytes, capacity);
}

std::vector<unsigned char> logImage(SearchLog& log) {
    if (!reindexLog(log)) return {};
    LogHeader h;
    h.count = log.count;
    h.textSize = log.textSize;
    h.historySize = static_cast<int32_t>(
        std::min(static_cast<size_t>(std::max(log.historySize, 0)), log.history.size()));
    LogWriter w;
    (void)logLayout(w, h, std::as_const(log));
    return w.image();
}

bool saveLog(SearchLog& log, const std::string& folder, WriteError* cause) {
    if (!log.changed) return true;
    std::vector<unsigned char> image = logImage(log);
    if (image.empty()) return reportWriteError(WriteError::Other, cause);
    if (!writeFileAtomically(searchLogPath(folder), image.data(), image.size(), false, cause))
        return false;
    log.changed = 0;
    return true;
}

std::vector<std::string> takeHistory(SearchLog& log) {
    std::vector<std::string> list;
    const size_t size =
        std::min(static_cast<size_t>(std::max(log.historySize, 0)), log.history.size());
    size_t pos = 0;
    while (pos < size) {
        const void* zero = std::memchr(log.history.data() + pos, '\0', size - pos);
        if (zero == nullptr) {
            list.clear(); // a string that runs past the block
            break;
        }
        const size_t end = static_cast<size_t>(static_cast<const char*>(zero) - log.history.data());
        list.emplace_back(log.history.data() + pos, end - pos);
        pos = end + 1;
    }
    std::vector<char>().swap(log.history);
    log.historySize = 0;
    return list;
}

void setHistory(SearchLog& log, const std::vector<std::string>& list) {
    log.history.clear();
    for (const std::string& s : list) {
        // A string holds no zero byte inside: cut it there.
        log.history.insert(log.history.end(), s.begin(), std::find(s.begin(), s.end(), '\0'));
        log.history.push_back('\0');
    }
    log.historySize = static_cast<int32_t>(log.history.size());
}

void logEntryQuery(const SearchLog& log, int entry, FieldQueryText& out) {
    out.clear();
    if (entry < 0 || entry >= log.count) return;
    for (int k = 1; k <= kFieldCount; ++k)
        out.set(k, log.field(entry, k));
}

bool stepHistory(const SearchLog& log, uint16_t& position, bool forward, FieldQueryText& out) {
    if (log.count <= 0) return false;
    // A position left beyond a log that shrank counts as one past the newest.
    int p = std::min<int>(position, log.count);
    p = forward ? std::min(p + 1, log.count - 1) : std::max(p - 1, 0);
    position = static_cast<uint16_t>(p);
    if (p >= log.count) return false;
    logEntryQuery(log, p, out);
    return true;
}

void setLogClock(LogClock clock) {
    std::lock_guard<std::mutex> lock(gClockMutex);
    gClock = clock;
}

} // namespace talsk
