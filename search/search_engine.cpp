#include "search/search_engine.h"

#include "base/char_tables.h"
#include "base/pair_filter.h"
#include "search/literal_scan.h"
#include "search/query_match.h"
#include "search/wildcard_keys.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace talsk {

using match::uchar;

void FieldQueryText::set(int k, const char* text) {
    char* s = slot(k);
    size_t n = text ? strnlen(text, kQueryTextMax) : 0;
    std::memcpy(s, text ? text : "", n);
    s[n] = '\0';
}

void FieldQueryText::clear() {
    std::memset(slots, 0, sizeof(slots));
}

bool FieldQueryText::empty() const {
    for (const auto& s : slots)
        if (s[0] != '\0') return false;
    return true;
}

const unsigned char* foldTable(const MatchOptions& options) {
    if (options.caseSensitive) return options.yoAsYe ? yoTable().data() : nullptr;
    return options.yoAsYe ? upperYoTable().data() : upperTable().data();
}

bool CompiledPattern::compile(const char* source, const MatchOptions& options,
                              CompileError* error) {
    size_t n = source ? strnlen(source, kQueryTextMax) : 0;
    std::memcpy(text_, source ? source : "", n);
    text_[n] = '\0';
    caseSensitive_ = options.caseSensitive;
    fold_ = foldTable(options);
    if (fold_ != nullptr) {
        // Folded once here, so that matching maps only the field's side.
        // The operators and wildcards fold to themselves.
        for (size_t i = 0; i < n; ++i)
            text_[i] = static_cast<char>(fold_[static_cast<uchar>(text_[i])]);
    }
    if (!compileTerms(text_, options.spacesSignificant, list_, error)) return false;
    prepareScan(list_, fold_);
    return true;
}

bool CompiledPattern::matches(const char* field) const {
    const auto* f = reinterpret_cast<const uchar*>(field);
    const uchar* end = f + std::strlen(field);
    if (fold_ == nullptr) return match::matchList<false>(list_, f, end, end + 1, nullptr);
    return match::matchList<true>(list_, f, end, end + 1, fold_);
}

namespace {

const std::atomic<uint8_t> kNeverCancelled{0};

bool tableUsable(const BaseTable& t) {
    return t.count > 0 && !t.text.empty() && !t.index.empty() &&
           t.entryCapacity() >= static_cast<size_t>(t.count) + 1;
}

int32_t& counterOf(SearchResults& st, TableKind kind) {
    switch (kind) {
    case TableKind::Population:
        return st.populationHits;
    case TableKind::Organizations:
        return st.organizationHits;
    default:
        return st.cityCodeHits;
    }
}

// Calls f(baseIndex, kind, table) for every table of the search area in hit
// order. City codes join only when the mask is exactly city codes, unless
// cityWhenContained (listing every record).
template <typename F> void forEachAreaTable(const SearchRun& run, bool cityWhenContained, F&& f) {
    const BaseSet& set = *run.set;
    const int bases = std::min<int>(static_cast<int>(set.bases.size()), kMaxFiles);
    for (int j = 0; j < bases; ++j) {
        const PhoneBase& base = set.bases[static_cast<size_t>(j)];
        if (run.fileMask[static_cast<size_t>(j)] == 0 || !base.connected) continue;
        for (int k = 0; k < kTableCount; ++k) {
            const auto kind = static_cast<TableKind>(k);
            const TableMask bit = tableMaskOf(kind);
            bool visit = kind == TableKind::CityCodes
                             ? (cityWhenContained ? (run.tables & bit) != 0 : run.tables == bit)
                             : (run.tables & bit) != 0;
            const BaseTable& t = base.table(kind);
            if (visit && tableUsable(t)) f(j, kind, t);
        }
    }
}

// Makes room for every record the run may visit, so that appending never
// reallocates inside the loop.
void reserveForArea(const SearchRun& run, bool cityWhenContained) {
    std::vector<SearchHit>& hits = run.out->hits;
    size_t needed = hits.size();
    forEachAreaTable(run, cityWhenContained, [&](int, TableKind, const BaseTable& t) {
        needed += static_cast<size_t>(t.count);
    });
    if (hits.capacity() < needed) hits.reserve(needed);
}

bool cancelRequested(const SearchRun& run) {
    return run.cancel && run.cancel->load(std::memory_order_relaxed) != 0;
}

// A piece of the area: records [first, last) of one table.
struct Piece {
    const BaseTable* table;
    int16_t base;
    TableKind kind;
    int32_t first, last;
};

// Where the helper's hits of piece i lie in its list.
struct PieceHits {
    size_t begin = 0, end = 0;
};

// The pieces of a run, the helper's hits and where each of its pieces put
// them; kept from run to run, so that a search allocates nothing once it has run.
struct RunScratch {
    std::vector<Piece> pieces;
    std::vector<PieceHits> helperRanges;
    std::vector<SearchHit> helperHits;
};

// Every background run has a thread of its own: scratch kept per thread
// would start empty each time, and a run with millions of hits would grow
// the helper's list anew (measured: a third of the time of "и" in all fields
// at 6.4M records). So runs borrow it from here; two runs at once never
// share one.
class ScratchPool {
public:
    std::unique_ptr<RunScratch> take() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!free_.empty()) {
                std::unique_ptr<RunScratch> s = std::move(free_.back());
                free_.pop_back();
                return s;
            }
        }
        return std::make_unique<RunScratch>();
    }
    void giveBack(std::unique_ptr<RunScratch> s) {
        const std::lock_guard<std::mutex> lock(mutex_);
        // A foreground and a background run at once; more are dropped.
        if (free_.size() < 2) free_.push_back(std::move(s));
    }

private:
    std::mutex mutex_;
    std::vector<std::unique_ptr<RunScratch>> free_;
};

class BorrowedScratch {
public:
    BorrowedScratch() : s_(pool().take()) {}
    ~BorrowedScratch() { pool().giveBack(std::move(s_)); }
    BorrowedScratch(const BorrowedScratch&) = delete;
    BorrowedScratch& operator=(const BorrowedScratch&) = delete;
    RunScratch& get() { return *s_; }

private:
    // Never destroyed: a worker given up may still end after main returns.
    static ScratchPool& pool() {
        static ScratchPool* p = new ScratchPool;
        return *p;
    }
    std::unique_ptr<RunScratch> s_;
};

// The pieces are taken from both ends: the caller's thread from the front,
// so that its hits go straight into the list in order, the helper from the
// back. Whoever is free takes the next; a busy core takes fewer.
class PieceQueue {
public:
    explicit PieceQueue(size_t count) : back_(count) {}
    bool takeFront(size_t& i) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (front_ >= back_) return false;
        i = front_++;
        return true;
    }
    bool takeBack(size_t& i) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (front_ >= back_) return false;
        i = --back_;
        return true;
    }

private:
    std::mutex mutex_;
    size_t front_ = 0;
    size_t back_;
};

// Cuts the area's tables into pieces of at most `size` records, in hit order
// (size 0: one piece a table). Returns the records of the area.
int64_t cutArea(const SearchRun& run, int32_t size, std::vector<Piece>& pieces) {
    pieces.clear();
    int64_t records = 0;
    forEachAreaTable(run, false, [&](int j, TableKind kind, const BaseTable& t) {
        const auto base = static_cast<int16_t>(j);
        const int32_t step = size > 0 ? size : t.count;
        for (int32_t first = 0; first < t.count; first += std::min(step, t.count - first))
            pieces.push_back(Piece{&t, base, kind, first, first + std::min(step, t.count - first)});
        records += t.count;
    });
    return records;
}

// The run proper: scanRange(base, kind, table, first, last, hits) appends the
// hits among records [first, last) in order and returns false when it stopped
// on the cancel flag. A large area is cut into small pieces taken by this
// thread and a helper, whichever is free; the helper's hits are put in their
// place once both are done. The counters and the hits of this thread's
// pieces so far stay on cancellation.
template <typename RangeScan> int32_t scanAreaTables(const SearchRun& run, RangeScan&& scanRange) {
    SearchResults& st = *run.out;
    reserveForArea(run, false);
    static const bool twoCores = std::thread::hardware_concurrency() >= 2;
    BorrowedScratch borrowed;
    RunScratch& scratch = borrowed.get();
    const bool split = twoCores && run.splitRecords > 0;
    const int64_t records =
        cutArea(run, split ? std::max<int32_t>(1, run.splitRecords / 8) : 0, scratch.pieces);
    const std::vector<Piece>& pieces = scratch.pieces;
    PieceQueue queue(pieces.size());
    std::atomic<bool> stopped{false};

    std::thread helper;
    if (split && records >= run.splitRecords && pieces.size() >= 2) {
        scratch.helperRanges.assign(pieces.size(), PieceHits{});
        scratch.helperHits.clear();
        try {
            helper = std::thread([&] {
                size_t i;
                while (!stopped.load(std::memory_order_relaxed) && queue.takeBack(i)) {
                    const Piece& p = pieces[i];
                    PieceHits& r = scratch.helperRanges[i];
                    r.begin = scratch.helperHits.size();
                    if (!scanRange(p.base, p.kind, *p.table, p.first, p.last, scratch.helperHits))
                        stopped = true;
                    r.end = scratch.helperHits.size();
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: this one takes every piece.
        }
    }
    size_t i;
    size_t taken = 0; // pieces of this thread: a prefix of the list
    while (!stopped.load(std::memory_order_relaxed) && queue.takeFront(i)) {
        const Piece& p = pieces[i];
        const size_t before = st.hits.size();
        if (!scanRange(p.base, p.kind, *p.table, p.first, p.last, st.hits)) stopped = true;
        counterOf(st, p.kind) += static_cast<int32_t>(st.hits.size() - before);
        taken = i + 1;
    }
    if (helper.joinable()) {
        helper.join();
        // The hits keep their order: the helper's pieces follow this thread's.
        for (size_t k = taken; k < pieces.size() && !stopped; ++k) {
            const PieceHits& r = scratch.helperRanges[k];
            st.hits.insert(st.hits.end(),
                           scratch.helperHits.begin() + static_cast<ptrdiff_t>(r.begin),
                           scratch.helperHits.begin() + static_cast<ptrdiff_t>(r.end));
            counterOf(st, pieces[k].kind) += static_cast<int32_t>(r.end - r.begin);
        }
    }
    return stopped ? kSearchCancelled : hitTotal(st);
}

// Hits gathered on the stack and appended in runs: the append stays out of
// the scan loop. The destructor hands over what is left.
class HitBatch {
public:
    explicit HitBatch(std::vector<SearchHit>& out) : out_(out) {}
    HitBatch(const HitBatch&) = delete;
    HitBatch& operator=(const HitBatch&) = delete;
    ~HitBatch() { flush(); }

    void add(int32_t record, int16_t base, TableKind kind) {
        buf_[n_++] = SearchHit{record, base, kind};
        if (n_ == kSize) flush();
    }
    // The same without a branch on hit: the slot is written either way.
    void addIf(bool hit, int32_t record, int16_t base, TableKind kind) {
        buf_[n_] = SearchHit{record, base, kind};
        n_ += hit ? 1 : 0;
        if (n_ == kSize) flush();
    }
    void flush() {
        out_.insert(out_.end(), buf_, buf_ + n_);
        n_ = 0;
    }

private:
    static constexpr int kSize = 256;
    SearchHit buf_[kSize];
    int n_ = 0;
    std::vector<SearchHit>& out_;
};

// Records ahead whose bytes are asked for before they are tested; further
// ahead where a record takes only a few nanoseconds.
constexpr int32_t kPrefetchAhead = 16;
constexpr int32_t kPrefetchAheadFast = 64;

// A test that reads only the index declares kIndexOnly; the pool is then
// not asked for ahead of it.
template <typename RecordTest> constexpr bool indexOnly() {
    if constexpr (requires { RecordTest::kIndexOnly; })
        return RecordTest::kIndexOnly;
    else
        return false;
}

// Tests every record of the area, stops at once when asked to.
template <typename RecordTest> int32_t scanArea(const SearchRun& run, const RecordTest& test) {
    const std::atomic<uint8_t>& cancel = run.cancel ? *run.cancel : kNeverCancelled;
    return scanAreaTables(run, [&](int16_t base, TableKind kind, const BaseTable& t, int32_t first,
                                   int32_t last, std::vector<SearchHit>& hits) {
        const char* pool = t.text.data();
        // Bytes the matcher may read ahead: the records of the pool.
        const auto* limit = reinterpret_cast<const uchar*>(pool) +
                            std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
        const RecordIndexEntry* e = t.entries();
        HitBatch batch(hits);
        for (int32_t i = first; i < last; ++i) {
            if constexpr (!indexOnly<RecordTest>()) {
                if (i + kPrefetchAhead < last)
                    __builtin_prefetch(pool + e[i + kPrefetchAhead].start);
            }
            if constexpr (indexOnly<RecordTest>())
                batch.addIf(test(pool, e[i], e[i + 1].start, limit), i, base, kind);
            else if (test(pool, e[i], e[i + 1].start, limit))
                batch.add(i, base, kind);
            if (cancel.load(std::memory_order_relaxed)) return false;
        }
        return true;
    });
}

// Field k (1..7) of a record: [begin, end), *end == 0.
struct FieldSpan {
    const uchar* begin;
    const uchar* end;
};

inline FieldSpan fieldSpan(const uchar* s, const uchar* recordEnd, const RecordIndexEntry& e,
                           int k) {
    const uchar* begin = k == 1 ? s : s + e.offset[k - 2];
    const uchar* end = k == kFieldCount ? recordEnd - 1 : s + e.offset[k - 1] - 1;
    return {begin, end};
}

// Whether a term of '?' and '*' alone fits a field of this length.
inline bool lengthFits(const QueryTerm& t, int length) {
    return t.exactLength ? length == t.minLength : length >= t.minLength;
}

bool lengthOnly(const TermList& list) {
    for (int i = 0; i < list.count; ++i)
        if (!list.terms[i].lengthOnly) return false;
    return list.count != 0;
}

// Queries of '?' and '*' alone («??», «?????»): only field lengths count,
// which the index holds, so the pool is never read. Every field is
// weighed without a branch: which of them fit is a guess for the processor.
struct LengthRecordTest {
    static constexpr bool kIndexOnly = true;
    struct Active {
        int field;
        const TermList* list;
    };
    Active active[kFieldCount];
    int activeCount = 0;
    bool general = false;  // one list, any of the selected fields; else each list its field
    unsigned selected = 0; // bit k - 1: field k, for the general search
    int minLength = 0;     // of the general search's first term
    bool exactLength = false;

    // Bit k - 1: the term fits field k.
    static unsigned fitting(const QueryTerm& t, const int* lengths) {
        unsigned bits = 0;
        for (int k = 0; k < kFieldCount; ++k)
            bits |= static_cast<unsigned>(lengthFits(t, lengths[k])) << k;
        return bits;
    }

    bool operator()(const char*, const RecordIndexEntry& e, uint32_t nextStart,
                    const uchar*) const {
        int lengths[kFieldCount];
        int begin = 0;
        for (int k = 0; k < kFieldCount - 1; ++k) {
            lengths[k] = e.offset[k] - begin - 1;
            begin = e.offset[k];
        }
        lengths[kFieldCount - 1] = static_cast<int>(nextStart - e.start) - begin - 1;
        if (general && active[0].list->count == 1) {
            // One term, the common case: its bounds held in registers.
            const int min = minLength, exact = exactLength;
            unsigned bits = 0;
            for (int k = 0; k < kFieldCount; ++k)
                bits |= static_cast<unsigned>(exact ? lengths[k] == min : lengths[k] >= min) << k;
            return (bits & selected) != 0;
        }
        if (general) {
            return match::walkGroups(
                active[0].list->terms, active[0].list->count,
                [&](const QueryTerm& t) { return (fitting(t, lengths) & selected) != 0; });
        }
        for (int a = 0; a < activeCount; ++a) {
            const int length = lengths[active[a].field - 1];
            if (!match::walkGroups(active[a].list->terms, active[a].list->count,
                                   [&](const QueryTerm& t) { return lengthFits(t, length); }))
                return false;
        }
        return true;
    }
};

template <bool Fold> struct FieldRecordTest {
    struct Active {
        int field;
        const TermList* list;
    };
    Active active[kFieldCount];
    int activeCount = 0;
    const uchar* upper = nullptr;

    bool operator()(const char* pool, const RecordIndexEntry& e, uint32_t nextStart,
                    const uchar* limit) const {
        const auto* p = reinterpret_cast<const uchar*>(pool);
        const uchar* s = p + e.start;
        const uchar* recordEnd = p + nextStart;
        for (int a = 0; a < activeCount; ++a) {
            FieldSpan f = fieldSpan(s, recordEnd, e, active[a].field);
            if (!match::matchList<Fold>(*active[a].list, f.begin, f.end, limit, upper))
                return false;
        }
        return true;
    }
};

template <bool Fold> struct GeneralRecordTest {
    const TermList* list = nullptr;
    FieldSelection selection{};
    bool allFields = false;
    const uchar* upper = nullptr;

    // Field (1..7) of the byte at offset `at` of the record.
    // Counted without a branch: which field a match falls in is hard to guess.
    static int fieldAt(const RecordIndexEntry& e, uint32_t at) {
        int k = 1;
        for (int j = 0; j < kFieldCount - 1; ++j)
            k += e.offset[j] <= at;
        return k;
    }

    bool termInRecord(const QueryTerm& t, const uchar* s, const uchar* recordEnd,
                      const RecordIndexEntry& e, const uchar* limit) const {
        if (t.segmentCount == 0) return false;
        const TermSegment& seg = t.segments[0];
        const auto* text = reinterpret_cast<const uchar*>(seg.text);
        if (t.segmentCount == 1 && !seg.anchored && seg.length > 0 && text[0] != '?' &&
            text[0] != 0) {
            // A plain "contains" term: one pass over the whole record. A match
            // never spans a field's zero, so it lies inside one field.
            const uchar* last = recordEnd - 1;
            for (const uchar* q = s;; ++q) {
                q = match::nextStart<Fold>(seg, q, last, limit, upper);
                if (q == nullptr) return false;
                if (match::compareAt<Fold>(q, text, seg.length, upper) == match::Matched &&
                    (allFields ||
                     selection[static_cast<size_t>(fieldAt(e, static_cast<uint32_t>(q - s)) - 1)]))
                    return true;
            }
        }
        for (int k = 1; k <= kFieldCount; ++k) {
            if (!selection[static_cast<size_t>(k - 1)]) continue;
            FieldSpan f = fieldSpan(s, recordEnd, e, k);
            if (match::matchTerm<Fold>(t, f.begin, f.end, limit, upper)) return true;
        }
        return false;
    }

    bool operator()(const char* pool, const RecordIndexEntry& e, uint32_t nextStart,
                    const uchar* limit) const {
        const auto* p = reinterpret_cast<const uchar*>(pool);
        const uchar* s = p + e.start;
        const uchar* recordEnd = p + nextStart;
        return match::walkGroups(list->terms, list->count, [&](const QueryTerm& t) {
            return termInRecord(t, s, recordEnd, e, limit);
        });
    }
};

void clearResults(SearchResults& st) {
    st.clearCounters();
    st.hits.clear();
}

// The commonest queries: one word, or a few words as alternatives ("Иванов
// Петров"): every term a single floating segment that the start filter
// serves, each its own or-group. The number of such terms (up to
// kMaxAlternatives), or 0 for any other query.
constexpr int kMaxAlternatives = 4;

int plainAlternatives(const TermList& list) {
    if (list.count < 1 || list.count > kMaxAlternatives) return 0;
    for (int i = 0; i < list.count; ++i) {
        const QueryTerm& t = list.terms[i];
        if (t.segmentCount != 1 || !t.groupEnd) return 0;
        const TermSegment& seg = t.segments[0];
        if (seg.anchored || seg.length <= 0 || seg.skip != 0 || seg.scanCount == 0) return 0;
    }
    return list.count;
}

template <bool Fold, int N> struct Alternatives {
    const TermSegment* segs[N] = {};
    const uchar* upper = nullptr;

    void take(const TermList& list, const uchar* table) {
        for (int j = 0; j < N; ++j)
            segs[j] = &list.terms[j].segments[0];
        upper = table;
    }
    const uchar* next(const uchar* q, const uchar* end, const uchar* limit) const {
        return match::filterStartAny<N>(segs, q, end, limit, Fold ? 0x20 : 0);
    }
    // Whether one of the words starts at q; FieldEnded only when a single
    // word ran into the field's end (no later start can fit then).
    match::Compared at(const uchar* q) const {
        if constexpr (N == 1) {
            return match::compareAt<Fold>(q, reinterpret_cast<const uchar*>(segs[0]->text),
                                          segs[0]->length, upper);
        } else {
            for (int j = 0; j < N; ++j)
                if (match::compareAt<Fold>(q, reinterpret_cast<const uchar*>(segs[j]->text),
                                           segs[j]->length, upper) == match::Matched)
                    return match::Matched;
            return match::Mismatch;
        }
    }
};

template <bool Fold, int N> struct ContainsFieldTest {
    Alternatives<Fold, N> words;
    int field = 0;

    bool operator()(const char* pool, const RecordIndexEntry& e, uint32_t nextStart,
                    const uchar* limit) const {
        const auto* p = reinterpret_cast<const uchar*>(pool);
        FieldSpan f = fieldSpan(p + e.start, p + nextStart, e, field);
        for (const uchar* q = f.begin;; ++q) {
            q = words.next(q, f.end, limit);
            if (q == nullptr) return false;
            match::Compared r = words.at(q);
            if (r != match::Mismatch) return r == match::Matched;
        }
    }
};

template <bool Fold, int N> struct ContainsRecordTest {
    Alternatives<Fold, N> words;
    FieldSelection selection{};
    bool allFields = false;

    bool operator()(const char* pool, const RecordIndexEntry& e, uint32_t nextStart,
                    const uchar* limit) const {
        const auto* p = reinterpret_cast<const uchar*>(pool);
        const uchar* s = p + e.start;
        const uchar* last = p + nextStart - 1;
        for (const uchar* q = s;; ++q) {
            q = words.next(q, last, limit);
            if (q == nullptr) return false;
            if (words.at(q) == match::Matched &&
                (allFields ||
                 selection[static_cast<size_t>(
                     GeneralRecordTest<Fold>::fieldAt(e, static_cast<uint32_t>(q - s)) - 1)]))
                return true;
        }
    }
};

// ---- literal words over the whole pool ------------------------------------

// Pool bytes between two looks at the cancel flag when no candidate turns up.
constexpr ptrdiff_t kCancelStride = 65536;

// The record that holds pool offset `at`, searching forward from record r:
// a few steps, then strides that double, then halving within the last one.
inline int32_t recordHolding(const RecordIndexEntry* e, int32_t count, int32_t r, uint32_t at) {
    for (int k = 0; k < 4; ++k) {
        if (r + 1 >= count || e[r + 1].start > at) return r;
        ++r;
    }
    // e[lo].start <= at < e[hi].start; the closing entry e[count] lies past every offset.
    int32_t lo = r, hi = count;
    for (int32_t stride = 8; lo + stride < count; stride *= 2) {
        if (e[lo + stride].start > at) {
            hi = lo + stride;
            break;
        }
        lo += stride;
    }
    while (hi - lo > 1) {
        const int32_t mid = lo + (hi - lo) / 2;
        if (e[mid].start <= at)
            lo = mid;
        else
            hi = mid;
    }
    return lo;
}

// Whether one of the words matches at q (q lies inside a field; the
// comparison stops at its zero). atFieldStart: q begins its field.
template <bool Fold>
inline bool literalAt(const LiteralPlan& plan, const uchar* q, bool atFieldStart,
                      const uchar* upper) {
    for (int j = 0; j < plan.count; ++j) {
        const LiteralWord& w = plan.words[j];
        if ((atFieldStart || !w.anchored) &&
            match::compareAt<Fold>(q, w.text, w.length, upper) == match::Matched)
            return true;
    }
    return false;
}

// Whether one of the words matches in the field [begin, end), *end == 0:
// a vector block at a time, every candidate of a block taken from its mask.
template <bool Fold, int N>
inline bool literalInField(const LiteralFinder<N>& finder, const LiteralPlan& plan,
                           const uchar* begin, const uchar* end, const uchar* limit,
                           const uchar* upper) {
    const uchar* q = begin;
#if defined(__SSE2__)
    const int reach = finder.reach();
    for (; q < end && limit - q >= reach; q += 16) {
        unsigned mask = finder.blockMask(q);
        if (end - q < 16) mask &= (1u << (end - q)) - 1;
        for (; mask != 0; mask &= mask - 1) {
            const uchar* c = q + std::countr_zero(mask);
            if (literalAt<Fold>(plan, c, c == begin, upper)) return true;
        }
    }
#endif
    for (;; ++q) {
        q = finder.next(q, end, limit);
        if (q == nullptr) return false;
        if (literalAt<Fold>(plan, q, q == begin, upper)) return true;
    }
}

// The pairs a match of one of the plan's words must hold.
PairQuery pairQueryOf(const LiteralPlan& plan) {
    PairQuery q;
    for (int j = 0; j < plan.count; ++j)
        q.addWord(plan.words[j].text, plan.words[j].length);
    return q;
}

// Runs ahead of the scan: their index and pool lines are asked for before
// they are scanned, as skipping blocks defeats the processor's own read-ahead.
constexpr int kRunsAhead = 4;
constexpr uint32_t kRunPrefetchBytes = 2048;
constexpr int32_t kRunPrefetchEntries = 2 * kPairBlockRecords;

// Calls scan(from, to) for each run of records in [first, last) whose
// blocks may hold a match, by the table's pair filter (one run of them all
// without a filter); stops when scan returns false (cancelled).
template <typename Scan>
bool forRecordsThatMayHold(const BaseTable& t, const PairQuery& query, int32_t first, int32_t last,
                           Scan&& scan) {
    if (!query.useful() || !t.pairs.covers(t)) return scan(first, last);
    const RecordIndexEntry* e = t.entries();
    const char* pool = t.text.data();
    struct Run {
        int32_t from, to;
    };
    int32_t r = first;
    auto mayHold = [&](int32_t at) { return query.mayHold(t.pairs.block(at / kPairBlockRecords)); };
    auto nextBlock = [](int32_t at) { return (at / kPairBlockRecords + 1) * kPairBlockRecords; };
    // The next run, or an empty one past the last.
    auto nextRun = [&]() {
        while (r < last && !mayHold(r))
            r = nextBlock(r);
        Run run{r, r};
        while (run.to < last && mayHold(run.to))
            run.to = nextBlock(run.to);
        run.to = std::min(run.to, last);
        r = run.to;
        const int32_t asked = std::min(run.to, run.from + kRunPrefetchEntries);
        for (int32_t k = run.from; k < asked; k += 64 / static_cast<int32_t>(sizeof *e))
            __builtin_prefetch(&e[k]);
        return run;
    };
    Run ahead[kRunsAhead];
    for (Run& run : ahead)
        run = nextRun();
    for (int k = 0;; k = (k + 1) % kRunsAhead) {
        const Run run = ahead[k];
        if (run.from >= run.to) return true;
        const Run& soon = ahead[(k + 2) % kRunsAhead];
        if (soon.from < soon.to) {
            const uint32_t begin = e[soon.from].start;
            const uint32_t end = std::min(e[soon.to].start, begin + kRunPrefetchBytes);
            for (uint32_t at = begin; at < end; at += 64)
                __builtin_prefetch(pool + at);
        }
        if (!scan(run.from, run.to)) return false;
        ahead[k] = nextRun();
    }
}

// Where the hits of a piece of the area go.
struct HitTarget {
    int16_t base;
    TableKind kind;
    std::vector<SearchHit>* hits;
};

// Records [from, to) of a table by one field, record by record. The finder
// and the plan are copied here so that storing a hit cannot make them be
// read again. False when cancelled.
template <bool Fold, int N>
bool literalFieldRecords(const LiteralPlan& sharedPlan, int field, const BaseTable& t, int32_t from,
                         int32_t to, const HitTarget& target, const uchar* upper,
                         const std::atomic<uint8_t>& cancel) {
    const LiteralPlan plan = sharedPlan;
    const LiteralFinder<N> finder(plan);
    const auto* p = reinterpret_cast<const uchar*>(t.text.data());
    const uchar* limit = p + std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
    const RecordIndexEntry* e = t.entries();
    const int16_t base = target.base;
    const TableKind kind = target.kind;
    HitBatch batch(*target.hits);
#if defined(__SSE2__)
    if (plan.exact) {
        // A field of up to 16 characters is one whole-word compare; the
        // hit is stored without a branch on it.
        const ptrdiff_t reach = finder.reach();
        for (int32_t i = from; i < to; ++i) {
            if (i + kPrefetchAheadFast < to)
                __builtin_prefetch(p + e[i + kPrefetchAheadFast].start);
            const FieldSpan f = fieldSpan(p + e[i].start, p + e[i + 1].start, e[i], field);
            const ptrdiff_t length = f.end - f.begin;
            bool hit;
            if (length <= 16 && limit - f.begin >= reach)
                hit = (finder.wordMask(f.begin) & ((1u << length) - 1)) != 0;
            else
                hit = literalInField<Fold>(finder, plan, f.begin, f.end, limit, upper);
            batch.addIf(hit, i, base, kind);
            if (cancel.load(std::memory_order_relaxed)) return false;
        }
        return true;
    }
#endif
    for (int32_t i = from; i < to; ++i) {
        if (i + kPrefetchAhead < to) __builtin_prefetch(p + e[i + kPrefetchAhead].start);
        const FieldSpan f = fieldSpan(p + e[i].start, p + e[i + 1].start, e[i], field);
        if (literalInField<Fold>(finder, plan, f.begin, f.end, limit, upper))
            batch.add(i, base, kind);
        if (cancel.load(std::memory_order_relaxed)) return false;
    }
    return true;
}

// Search by one field, record by record, over the blocks that may hold a word.
template <bool Fold, int N>
int32_t runLiteralField(const LiteralPlan& sharedPlan, int field, const SearchRun& run) {
    const uchar* upper = foldTable(run.options);
    const std::atomic<uint8_t>& cancel = run.cancel ? *run.cancel : kNeverCancelled;
    const PairQuery pairs = pairQueryOf(sharedPlan);
    return scanAreaTables(run, [&](int16_t base, TableKind kind, const BaseTable& t, int32_t first,
                                   int32_t last, std::vector<SearchHit>& hits) {
        const HitTarget target{base, kind, &hits};
        return forRecordsThatMayHold(t, pairs, first, last, [&](int32_t from, int32_t to) {
            return literalFieldRecords<Fold, N>(sharedPlan, field, t, from, to, target, upper,
                                                cancel);
        });
    });
}

// Records [from, to) of a table over the pool at once: a candidate is
// mapped to its record through the index, and a hit moves the scan to the
// next record. Copies as in the field search. False when cancelled.
template <bool Fold, int N>
bool literalPoolRecords(const LiteralPlan& sharedPlan, const FieldSelection& selection,
                        const BaseTable& t, int32_t from, int32_t to, const HitTarget& target,
                        const uchar* upper, const SearchRun& run) {
    const LiteralPlan plan = sharedPlan;
    const LiteralFinder<N> finder(plan);
    const bool allFields = selection == kAllFields;
    const auto* p = reinterpret_cast<const uchar*>(t.text.data());
    const RecordIndexEntry* e = t.entries();
    const uchar* limit = p + std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
    const uchar* end = p + e[to].start;
    HitBatch batch(*target.hits);
    int32_t r = from;
    const uchar* q = p + e[from].start;
    while (q < end) {
        const uchar* stop = end - q > kCancelStride ? q + kCancelStride : end;
        const uchar* c = finder.next(q, stop, limit);
        if (cancelRequested(run)) return false;
        if (c == nullptr) {
            q = stop;
            continue;
        }
        const auto at = static_cast<uint32_t>(c - p);
        r = recordHolding(e, to, r, at);
        // Fields are zero-terminated and records follow one another.
        const bool fieldStart = c == p || c[-1] == 0;
        if (literalAt<Fold>(plan, c, fieldStart, upper) &&
            (allFields || selection[static_cast<size_t>(
                              GeneralRecordTest<Fold>::fieldAt(e[r], at - e[r].start) - 1)])) {
            batch.add(r, target.base, target.kind);
            q = p + e[r + 1].start;
        } else {
            q = c + 1;
        }
    }
    return true;
}

// Words at least this long turn up in few records: scanning the pool skips
// most of them at vector speed. Shorter ones hit in most records, where the
// compare record by record is faster.
constexpr int kPoolScanLength = 4;

#if defined(__SSE2__)
// Records [from, to) of a table, each compared whole, 16 positions at a
// time, for words of at most L letters in every field: most records hold
// one, and a compare of the record's bytes costs less than mapping every
// candidate back to its record. The plan is exact, so a byte that equals a
// letter once its fold is or-ed in matches it; a match never spans a
// field's zero, so the record's bytes may be taken as one. False when
// cancelled.
template <bool Fold, int N, int L>
bool shortWordRecords(const LiteralPlan& plan, const BaseTable& t, int32_t from, int32_t to,
                      const HitTarget& target, const uchar* upper,
                      const std::atomic<uint8_t>& cancel) {
    __m128i letter[N][L];
    __m128i fold[N][L];
    for (int j = 0; j < N; ++j) {
        const LiteralWord& w = plan.words[j];
        for (int k = 0; k < L; ++k) {
            // Past a shorter word's end: a compare that always holds.
            const bool in = k < w.length;
            letter[j][k] = _mm_set1_epi8(static_cast<char>(in ? w.text[k] | w.folds[k] : 0xFF));
            fold[j][k] = _mm_set1_epi8(static_cast<char>(in ? w.folds[k] : 0xFF));
        }
    }
    const LiteralFinder<N> finder(plan);
    const auto* p = reinterpret_cast<const uchar*>(t.text.data());
    const uchar* limit = p + std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
    const RecordIndexEntry* e = t.entries();
    HitBatch batch(*target.hits);
    for (int32_t i = from; i < to; ++i) {
        if (i + kPrefetchAheadFast < to) __builtin_prefetch(p + e[i + kPrefetchAheadFast].start);
        const uchar* q = p + e[i].start;
        const uchar* end = p + e[i + 1].start;
        bool hit;
        if (limit - end >= 16 + L - 1) {
            unsigned any = 0;
            for (; q < end; q += 16) {
                unsigned mask = 0;
                for (int j = 0; j < N; ++j) {
                    __m128i all = _mm_set1_epi8(-1);
                    for (int k = 0; k < L; ++k) {
                        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + k));
                        all = _mm_and_si128(
                            all, _mm_cmpeq_epi8(_mm_or_si128(b, fold[j][k]), letter[j][k]));
                    }
                    mask |= static_cast<unsigned>(_mm_movemask_epi8(all));
                }
                if (end - q < 16) mask &= (1u << (end - q)) - 1;
                any |= mask;
            }
            hit = any != 0;
        } else {
            // The last records of the pool, where whole blocks cannot be read.
            hit = literalInField<Fold>(finder, plan, q, end, limit, upper);
        }
        batch.addIf(hit, i, target.base, target.kind);
        if (cancel.load(std::memory_order_relaxed)) return false;
    }
    return true;
}
#endif

// The longest word when short words in every field are compared record by
// record; 0 when the pool scan is to be used.
int shortWordLength(const LiteralPlan& plan, const FieldSelection& selection) {
#if defined(__SSE2__)
    if (!plan.exact || selection != kAllFields || plan.longest >= kPoolScanLength) return 0;
    for (int j = 0; j < plan.count; ++j)
        if (plan.words[j].anchored) return 0;
    return plan.longest;
#else
    (void)plan;
    (void)selection;
    return 0;
#endif
}

// General search over the pool, over the blocks that may hold a word.
template <bool Fold, int N>
int32_t runLiteralRecord(const LiteralPlan& sharedPlan, const FieldSelection& selection,
                         const SearchRun& run) {
    const uchar* upper = foldTable(run.options);
    const PairQuery pairs = pairQueryOf(sharedPlan);
    const int shortWords = shortWordLength(sharedPlan, selection);
    const std::atomic<uint8_t>& cancel = run.cancel ? *run.cancel : kNeverCancelled;
    return scanAreaTables(run, [&](int16_t base, TableKind kind, const BaseTable& t, int32_t first,
                                   int32_t last, std::vector<SearchHit>& hits) {
        const HitTarget target{base, kind, &hits};
        return forRecordsThatMayHold(t, pairs, first, last, [&](int32_t from, int32_t to) {
#if defined(__SSE2__)
            switch (shortWords) {
            case 1:
                return shortWordRecords<Fold, N, 1>(sharedPlan, t, from, to, target, upper, cancel);
            case 2:
                return shortWordRecords<Fold, N, 2>(sharedPlan, t, from, to, target, upper, cancel);
            case 3:
                return shortWordRecords<Fold, N, 3>(sharedPlan, t, from, to, target, upper, cancel);
            default:
                break;
            }
#endif
            return literalPoolRecords<Fold, N>(sharedPlan, selection, t, from, to, target, upper,
                                               run);
        });
    });
}

// ---- wildcard queries by their keys ----------------------------------------

// Bytes from the middle of up to four of the area's tables, evenly spread,
// on which the keys are weighed.
constexpr size_t kSampleBytes = 4096;

KeySample sampleOf(const SearchRun& run) {
    int tables = 0;
    forEachAreaTable(run, false, [&](int, TableKind, const BaseTable&) { ++tables; });
    KeySample sample;
    const int wanted = std::min(tables, KeySample::kRoom);
    int index = 0;
    forEachAreaTable(run, false, [&](int, TableKind, const BaseTable& t) {
        const int i = index++;
        if (sample.count == wanted || i != sample.count * tables / wanted) return;
        const auto* p = reinterpret_cast<const uchar*>(t.text.data());
        const size_t size = std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
        const size_t from = size > kSampleBytes ? (size - kSampleBytes) / 2 : 0;
        sample.begin[sample.count] = p + from;
        sample.end[sample.count] = p + std::min(size, from + kSampleBytes);
        ++sample.count;
    });
    return sample;
}

// The estimated cost of the keys' candidates (nanoseconds per pool byte)
// up to which a key scan beats testing every record.
constexpr double kKeyCostLimit = 0.2;

// Records [from, to) of a table by the keys of a query: the pool is scanned
// for a key, and the record that holds a candidate is tested whole; the
// scan goes on at the next record, which that test has settled. Copies as
// in the literal search. False when cancelled.
template <int N, int C, typename RecordTest>
bool keyedRecords(const KeyPlan& sharedPlan, const RecordTest& test, const FieldSelection* whole,
                  const BaseTable& t, int32_t from, int32_t to, const HitTarget& target,
                  const SearchRun& run) {
    const KeyPlan plan = sharedPlan;
    const KeyFinder<N, C> finder(plan);
    const char* pool = t.text.data();
    const auto* p = reinterpret_cast<const uchar*>(pool);
    const RecordIndexEntry* e = t.entries();
    const uchar* limit = p + std::min<size_t>(static_cast<size_t>(t.textSize), t.text.size());
    HitBatch batch(*target.hits);
    int32_t r = from;
    if (r == 0) {
        // No zero precedes the pool's first field: its record is tested as it is.
        if (test(pool, e[0], e[1].start, limit)) batch.add(0, target.base, target.kind);
        r = 1;
    }
    if (r >= to) return true;
    // From the zero that ends the record before, up to the one that ends
    // the last but one: a key may begin with the zero before its field.
    const uchar* q = p + e[r].start - 1;
    const uchar* end = p + e[to].start - 1;
    // Candidates before this lie in a record already settled.
    const uchar* resume = q;
    // Over every field, a whole frame needs no look at which field it is in.
    const bool everyField = whole && *whole == kAllFields;
    auto inSelection = [&](uint32_t at) {
        const int field = GeneralRecordTest<false>::fieldAt(e[r], at - e[r].start);
        return (*whole)[static_cast<size_t>(field - 1)] != 0;
    };
    // Settles candidate c: a hit, a record passed over, or nothing.
    auto candidate = [&](const uchar* c) {
        bool framed = false;
        for (int j = 0; j < N && !framed; ++j)
            framed = frameHolds(plan.keys[j].frame, c, limit);
        if (!framed) return;
        const auto at = static_cast<uint32_t>(c + 1 - p);
        r = recordHolding(e, to, r, at);
        const bool hit =
            whole ? everyField || inSelection(at) : test(pool, e[r], e[r + 1].start, limit);
        if (hit) batch.add(r, target.base, target.kind);
        // The test settled the whole record; a frame only its field.
        if (hit || !whole) resume = p + e[r + 1].start - 1;
    };
    const uchar* nextCancelLook = q + kCancelStride;
#if defined(__SSE2__)
    // Two blocks at a time, their candidates taken from one mask, not looked
    // for again: one branch on "any candidate" for 32 positions.
    const int reach = finder.reach() + 16;
    while (q < end && limit - q >= reach) {
        if (q >= nextCancelLook) {
            if (cancelRequested(run)) return false;
            nextCancelLook = q + kCancelStride;
        }
        uint32_t mask = finder.blockMask(q) | uint32_t{finder.blockMask(q + 16)} << 16;
        if (end - q < 32) mask &= (uint32_t{1} << (end - q)) - 1;
        const uchar* next = q + 32;
        for (; mask != 0 && resume < next; mask &= mask - 1) {
            const uchar* c = q + std::countr_zero(mask);
            if (c >= resume) candidate(c);
        }
        q = std::max(next, resume);
    }
#endif
    while (q < end) {
        const uchar* stop = std::min(end, nextCancelLook);
        const uchar* c = finder.next(std::max(q, resume), stop, limit);
        if (c == nullptr) {
            q = stop;
            if (cancelRequested(run)) return false;
            nextCancelLook = q + kCancelStride;
            continue;
        }
        candidate(c);
        q = std::max(c + 1, resume);
    }
    return true;
}

template <int N, int C, typename RecordTest>
int32_t runKeyed(const KeyPlan& plan, const RecordTest& test, const FieldSelection* whole,
                 const SearchRun& run) {
    return scanAreaTables(run, [&](int16_t base, TableKind kind, const BaseTable& t, int32_t first,
                                   int32_t last, std::vector<SearchHit>& hits) {
        const HitTarget target{base, kind, &hits};
        return forRecordsThatMayHold(t, plan.pairs, first, last, [&](int32_t from, int32_t to) {
            return keyedRecords<N, C>(plan, test, whole, t, from, to, target, run);
        });
    });
}

// fields: where the query looks, when a key whose frame is the whole query
// settles a record by itself; the record is tested otherwise.
template <typename RecordTest>
int32_t runKeyed(const KeyPlan& plan, const RecordTest& test, const FieldSelection& fields,
                 const SearchRun& run) {
    const FieldSelection* whole = plan.whole ? &fields : nullptr;
    const bool three = plan.blockChecks == 3;
    switch (plan.count) {
    case 1:
        return three ? runKeyed<1, 3>(plan, test, whole, run)
                     : runKeyed<1, 2>(plan, test, whole, run);
    case 2:
        return three ? runKeyed<2, 3>(plan, test, whole, run)
                     : runKeyed<2, 2>(plan, test, whole, run);
    case 3:
        return three ? runKeyed<3, 3>(plan, test, whole, run)
                     : runKeyed<3, 2>(plan, test, whole, run);
    default:
        return three ? runKeyed<4, 3>(plan, test, whole, run)
                     : runKeyed<4, 2>(plan, test, whole, run);
    }
}

// A literal plan with a short word at the field's start, whose every
// letter is a candidate of the literal scan: its key is the zero before the
// field and the letter, far fewer candidates.
bool shortAnchored(const LiteralPlan& plan) {
    for (int j = 0; j < plan.count; ++j)
        if (plan.words[j].anchored && plan.words[j].length < kPoolScanLength) return true;
    return false;
}

// Whether a term of the list looks for its first segment inside the field,
// which the field search does character by character.
bool floatingStart(const TermList& list) {
    for (int i = 0; i < list.count; ++i)
        if (list.terms[i].segmentCount != 0 && !list.terms[i].segments[0].anchored) return true;
    return false;
}

template <bool Fold>
int32_t runLiteralField(const LiteralPlan& plan, int field, const SearchRun& run) {
    int shortest = plan.longest;
    for (int j = 0; j < plan.count; ++j)
        shortest = std::min(shortest, plan.words[j].length);
    if (shortest >= kPoolScanLength) {
        // The pool scan of the general search with this field alone: a
        // candidate in another field costs one look at the index, never a
        // restart of the scan.
        FieldSelection one{};
        one[static_cast<size_t>(field - 1)] = 1;
        switch (plan.count) {
        case 1:
            return runLiteralRecord<Fold, 1>(plan, one, run);
        case 2:
            return runLiteralRecord<Fold, 2>(plan, one, run);
        case 3:
            return runLiteralRecord<Fold, 3>(plan, one, run);
        default:
            return runLiteralRecord<Fold, 4>(plan, one, run);
        }
    }
    switch (plan.count) {
    case 1:
        return runLiteralField<Fold, 1>(plan, field, run);
    case 2:
        return runLiteralField<Fold, 2>(plan, field, run);
    case 3:
        return runLiteralField<Fold, 3>(plan, field, run);
    default:
        return runLiteralField<Fold, 4>(plan, field, run);
    }
}

template <bool Fold>
int32_t runLiteralRecord(const LiteralPlan& plan, const FieldSelection& selection,
                         const SearchRun& run) {
    switch (plan.count) {
    case 1:
        return runLiteralRecord<Fold, 1>(plan, selection, run);
    case 2:
        return runLiteralRecord<Fold, 2>(plan, selection, run);
    case 3:
        return runLiteralRecord<Fold, 3>(plan, selection, run);
    default:
        return runLiteralRecord<Fold, 4>(plan, selection, run);
    }
}

template <bool Fold, int N>
int32_t runContainsField(const TermList& list, int field, const SearchRun& run) {
    ContainsFieldTest<Fold, N> test;
    test.words.take(list, foldTable(run.options));
    test.field = field;
    return scanArea(run, test);
}

template <bool Fold, int N>
int32_t runContainsRecord(const TermList& list, const FieldSelection& selection,
                          const SearchRun& run) {
    ContainsRecordTest<Fold, N> test;
    test.words.take(list, foldTable(run.options));
    test.selection = selection;
    test.allFields = selection == kAllFields;
    return scanArea(run, test);
}

template <bool Fold> int32_t runField(const FieldQuery& q, const SearchRun& run) {
    FieldRecordTest<Fold> test;
    test.upper = foldTable(run.options);
    for (int k = 1; k <= kFieldCount; ++k) {
        const TermList& list = q.fields[k - 1].terms();
        if (list.count != 0) test.active[test.activeCount++] = {k, &list};
    }
    if (test.activeCount == 1) {
        const TermList& list = *test.active[0].list;
        const int field = test.active[0].field;
        LiteralPlan plan;
        if (planLiterals(list, Fold ? test.upper : nullptr, plan))
            return runLiteralField<Fold>(plan, field, run);
    }
    LengthRecordTest lengths;
    for (int a = 0; a < test.activeCount; ++a) {
        if (!lengthOnly(*test.active[a].list)) break;
        lengths.active[lengths.activeCount++] = {test.active[a].field, test.active[a].list};
    }
    if (lengths.activeCount == test.activeCount && lengths.activeCount != 0)
        return scanArea(run, lengths);
    // The rarest keys of any one field (a record must hold them all). The
    // field search reads one field a record; a scan of the whole pool beats
    // it when the pair filter skips most blocks, or when the field would be
    // searched character by character.
    const KeySample sample = sampleOf(run);
    KeyPlan keys, best;
    bool floating = false;
    for (int a = 0; a < test.activeCount; ++a)
        if (planKeys(*test.active[a].list, Fold ? test.upper : nullptr, &sample, keys) &&
            (best.count == 0 || keys.cost < best.cost)) {
            best = keys;
            floating = floatingStart(*test.active[a].list);
        }
    if (best.count != 0 && best.cost <= kKeyCostLimit && (best.pairs.useful() || floating)) {
        FieldSelection one{};
        one[static_cast<size_t>(test.active[0].field - 1)] = 1;
        best.whole = best.whole && test.activeCount == 1;
        return runKeyed(best, test, one, run);
    }
    if (test.activeCount == 1) {
        const TermList& list = *test.active[0].list;
        const int field = test.active[0].field;
        switch (plainAlternatives(list)) {
        case 1:
            return runContainsField<Fold, 1>(list, field, run);
        case 2:
            return runContainsField<Fold, 2>(list, field, run);
        case 3:
            return runContainsField<Fold, 3>(list, field, run);
        case 4:
            return runContainsField<Fold, 4>(list, field, run);
        default:
            break;
        }
    }
    return scanArea(run, test);
}

template <bool Fold> int32_t runGeneral(const GeneralQuery& q, const SearchRun& run) {
    const TermList& list = q.pattern.terms();
    if (lengthOnly(list)) {
        LengthRecordTest lengths;
        lengths.general = true;
        lengths.active[lengths.activeCount++] = {0, &list};
        lengths.minLength = list.terms[0].minLength;
        lengths.exactLength = list.terms[0].exactLength;
        for (int k = 0; k < kFieldCount; ++k)
            lengths.selected |= q.selection[static_cast<size_t>(k)] ? 1u << k : 0;
        return scanArea(run, lengths);
    }
    const uchar* upper = Fold ? foldTable(run.options) : nullptr;
    LiteralPlan plan;
    const bool literal = planLiterals(list, upper, plan);
    if (literal && !shortAnchored(plan)) return runLiteralRecord<Fold>(plan, q.selection, run);
    KeyPlan keys;
    const KeySample sample = sampleOf(run);
    if (planKeys(list, upper, &sample, keys) && (literal || keys.cost <= kKeyCostLimit)) {
        GeneralRecordTest<Fold> test;
        test.list = &list;
        test.selection = q.selection;
        test.allFields = q.selection == kAllFields;
        test.upper = foldTable(run.options);
        return runKeyed(keys, test, q.selection, run);
    }
    if (literal) return runLiteralRecord<Fold>(plan, q.selection, run);
    switch (plainAlternatives(list)) {
    case 1:
        return runContainsRecord<Fold, 1>(list, q.selection, run);
    case 2:
        return runContainsRecord<Fold, 2>(list, q.selection, run);
    case 3:
        return runContainsRecord<Fold, 3>(list, q.selection, run);
    case 4:
        return runContainsRecord<Fold, 4>(list, q.selection, run);
    default:
        break;
    }
    GeneralRecordTest<Fold> test;
    test.list = &list;
    test.selection = q.selection;
    test.allFields = q.selection == kAllFields;
    test.upper = foldTable(run.options);
    return scanArea(run, test);
}

} // namespace

MatchOptions matchOptionsOf(const ProgramSettings* settings) {
    MatchOptions o;
    if (settings) {
        o.caseSensitive = settings->caseSensitive != 0;
        o.spacesSignificant = settings->spacesSignificant != 0;
        o.yoAsYe = settings->yoAsYe != 0;
    }
    return o;
}

SearchRun foregroundRun(const BaseSet& set, SearchState& state, const ProgramSettings* settings) {
    SearchRun run;
    run.set = &set;
    run.tables = state.tables;
    run.fileMask = state.fileMask;
    run.options = matchOptionsOf(settings);
    run.out = &state;
    return run;
}

int32_t runFieldSearch(const FieldQueryText& query, const SearchRun& run) {
    clearResults(*run.out);
    if (query.empty()) return 0;
    FieldQuery compiled;
    bool anyTerm = false;
    for (int k = 1; k <= kFieldCount; ++k) {
        if (!compiled.fields[k - 1].compile(query.slot(k), run.options)) return kSearchNotCompiled;
        anyTerm = anyTerm || compiled.fields[k - 1].terms().count != 0;
    }
    if (!anyTerm) return 0;
    return foldTable(run.options) == nullptr ? runField<false>(compiled, run)
                                             : runField<true>(compiled, run);
}

int32_t runGeneralSearch(const char* text, const SearchRun& run, const FieldSelection* selection) {
    clearResults(*run.out);
    if (text == nullptr || text[0] == '\0') return 0;
    GeneralQuery compiled;
    compiled.selection = selection ? *selection : kAllFields;
    if (!compiled.pattern.compile(text, run.options)) return kSearchNotCompiled;
    if (compiled.pattern.terms().count == 0) return 0;
    return foldTable(run.options) == nullptr ? runGeneral<false>(compiled, run)
                                             : runGeneral<true>(compiled, run);
}

namespace {

// A run on the window's thread leaves its hits current; one that did not
// compile leaves the flag as it was.
int32_t markCurrent(SearchState& st, int32_t result) {
    if (result >= 0) st.dirty = 0;
    return result;
}

} // namespace

int32_t runFieldSearch(const FieldQueryText& query, const BaseSet& set, SearchState& state,
                       const ProgramSettings* settings) {
    return markCurrent(state, runFieldSearch(query, foregroundRun(set, state, settings)));
}

int32_t runGeneralSearch(const char* text, const BaseSet& set, SearchState& state,
                         const FieldSelection* selection, const ProgramSettings* settings) {
    return markCurrent(state,
                       runGeneralSearch(text, foregroundRun(set, state, settings), selection));
}

int32_t fillAllRecords(const BaseSet& set, SearchState& state) {
    SearchState& st = state;
    clearResults(st);
    st.kind = SearchKind::AllRecords;
    st.dirty = 1;
    const SearchRun run = foregroundRun(set, state);
    reserveForArea(run, true);
    forEachAreaTable(run, true, [&](int j, TableKind kind, const BaseTable& t) {
        for (int32_t i = 0; i < t.count; ++i)
            st.hits.push_back(SearchHit{i, static_cast<int16_t>(j), kind});
        counterOf(st, kind) += t.count;
    });
    return static_cast<int32_t>(st.hits.size());
}

void sizeHitList(const BaseSet& set, SearchState& state) {
    SearchState& st = state;
    std::vector<SearchHit>().swap(st.hits);
    st.clearCounters();
    const int64_t both =
        static_cast<int64_t>(set.totalPopulation) + static_cast<int64_t>(set.totalOrganizations);
    const int64_t room = std::max<int64_t>(both, set.totalCityCodes);
    if (room > 0) st.hits.reserve(static_cast<size_t>(room));
}

} // namespace talsk
