#include "search/similar_search.h"

#include "base/char_tables.h"
#include "search/similar_names.h"

#include <algorithm>
#include <cstring>

namespace talsk {

namespace {

using uchar = unsigned char;

// A name of one record: where it starts, its length and its hash.
struct NameRef {
    const char* text = nullptr;
    uint32_t length = 0;
    uint64_t hash = 0;
};

// The distinct names of a table, told apart by their upper-case form; each
// keeps the spelling of its first record and counts its records. Open
// addressing over a power-of-two table of 16-byte entries.
class NameCensus {
public:
    struct Entry {
        const char* text = nullptr; // nullptr: free
        uint32_t tag = 0;           // high hash bits, the length in the low byte
        int32_t records = 0;
        uint32_t length() const { return tag & 0xFF; }
    };

    NameCensus() : slots_(kFirstSize) {}

    // The upper-case hash of a name of at most 255 bytes.
    uint64_t hash(const char* text, size_t length) const {
        uint64_t h = 14695981039346656037ull;
        for (size_t i = 0; i < length; ++i)
            h = (h ^ upper_[static_cast<uchar>(text[i])]) * 1099511628211ull;
        return h;
    }

    void add(const NameRef& name) {
        const uint32_t tag = (static_cast<uint32_t>(name.hash >> 32) & ~0xFFu) | name.length;
        const size_t mask = slots_.size() - 1;
        for (size_t i = name.hash & mask;; i = (i + 1) & mask) {
            Entry& e = slots_[i];
            if (e.text == nullptr) {
                e = Entry{name.text, tag, 1};
                if (++used_ * 2 > slots_.size()) grow();
                return;
            }
            if (e.tag == tag && sameUpper(e.text, name.text, name.length)) {
                ++e.records;
                return;
            }
        }
    }

    template <typename F> void forEach(F&& f) const {
        for (const Entry& e : slots_)
            if (e.text != nullptr) f(e);
    }

private:
    static constexpr size_t kFirstSize = 256;

    bool sameUpper(const char* a, const char* b, size_t n) const {
        for (size_t i = 0; i < n; ++i)
            if (upper_[static_cast<uchar>(a[i])] != upper_[static_cast<uchar>(b[i])]) return false;
        return true;
    }

    void grow() {
        std::vector<Entry> old(slots_.size() * 2);
        old.swap(slots_);
        const size_t mask = slots_.size() - 1;
        for (const Entry& e : old) {
            if (e.text == nullptr) continue;
            size_t i = hash(e.text, e.length()) & mask;
            while (slots_[i].text != nullptr)
                i = (i + 1) & mask;
            slots_[i] = e;
        }
    }

    const UpperTable& upper_ = upperTable();
    std::vector<Entry> slots_;
    size_t used_ = 0;
};

bool tableUsable(const BaseTable& t) {
    return t.count > 0 && !t.text.empty() && !t.index.empty() &&
           t.entryCapacity() >= static_cast<size_t>(t.count) + 1;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

// The name a field holds (see surnameOf), never read past end.
std::string_view nameIn(const char* field, const char* end, NameSource source) {
    if (field >= end) return {};
    if (source == NameSource::Surnames) {
        while (field < end && *field == ' ')
            ++field;
        const char* p = field;
        while (p < end && *p != 0 && *p != ' ' && *p != ',' && *p != '.')
            ++p;
        return {field, static_cast<size_t>(p - field)};
    }
    const void* zero = std::memchr(field, 0, static_cast<size_t>(end - field));
    const char* p = zero ? static_cast<const char*>(zero) : end;
    return trimmed({field, static_cast<size_t>(p - field)});
}

// Counts the names that may be alike the word (by their sound bits): the
// others, nearly all, are dropped before they are hashed.
void takeCensus(const BaseSet& set, const FileMask& files, NameSource source, uint32_t wordBits,
                NameCensus& census) {
    const TableKind kind =
        source == NameSource::Surnames ? TableKind::Population : TableKind::Organizations;
    const int field = source == NameSource::Surnames ? 2 : 6;
    const std::array<uint32_t, 256>& bitOf = soundBitTable();
    const size_t bases = std::min(set.bases.size(), files.size());
    for (size_t j = 0; j < bases; ++j) {
        const PhoneBase& base = set.bases[j];
        if (files[j] == 0 || !base.connected) continue;
        const BaseTable& t = base.table(kind);
        if (!tableUsable(t)) continue;
        const char* pool = t.text.data();
        const char* poolEnd =
            pool + std::min<size_t>(static_cast<size_t>(std::max(t.textSize, 0)), t.text.size());
        const RecordIndexEntry* e = t.entries();
        for (int32_t i = 0; i < t.count; ++i) {
            const std::string_view name = nameIn(fieldPointers(pool, e[i])[field], poolEnd, source);
            if (name.empty() || name.size() > 0xFF) continue;
            uint32_t bits = 0;
            for (char c : name)
                bits |= bitOf[static_cast<uchar>(c)];
            if (!mayBeAlike(bits, wordBits)) continue;
            census.add({name.data(), static_cast<uint32_t>(name.size()),
                        census.hash(name.data(), name.size())});
        }
    }
}

struct Candidate {
    Likeness likeness;
    const NameCensus::Entry* entry;
};

bool likelierThan(const Candidate& a, const Candidate& b) {
    if (a.likeness != b.likeness) return a.likeness < b.likeness;
    if (a.entry->records != b.entry->records) return a.entry->records > b.entry->records;
    const std::string_view x(a.entry->text, a.entry->length()), y(b.entry->text, b.entry->length());
    return x < y;
}

} // namespace

std::string similarWord(std::string_view pattern) {
    std::string_view w = trimmed(pattern);
    if (!w.empty() && w.front() == '*') w.remove_prefix(1);
    if (!w.empty() && (w.back() == '*' || w.back() == '%')) w.remove_suffix(1);
    if (w.size() < 3 || w.find_first_of(" *?%&|+;") != std::string_view::npos) return {};
    return std::string(w);
}

std::string_view surnameOf(std::string_view name) {
    name = trimmed(name);
    return name.substr(0, name.find_first_of(" ,."));
}

bool similarRequest(const FieldQueryText& query, TableMask tables, SimilarRequest& out) {
    if (tables & kMaskPopulation) {
        out.word = similarWord(query.slot(RecordField::Name));
        out.source = NameSource::Surnames;
        if (!out.word.empty()) return true;
    }
    if (tables & kMaskOrganizations) {
        out.word = similarWord(query.slot(RecordField::Organization));
        out.source = NameSource::Organizations;
        if (!out.word.empty()) return true;
    }
    return false;
}

bool similarRequest(const char* text, TableMask tables, SimilarRequest& out) {
    if ((tables & (kMaskPopulation | kMaskOrganizations)) == 0 || text == nullptr) return false;
    out.word = similarWord(text);
    out.source = (tables & kMaskPopulation) ? NameSource::Surnames : NameSource::Organizations;
    return !out.word.empty();
}

std::vector<SimilarName> findSimilarNames(const BaseSet& set, const FileMask& files,
                                          const SimilarRequest& request, size_t limit) {
    std::vector<SimilarName> out;
    if (request.word.empty() || limit == 0) return out;
    const SimilarMatcher matcher(request.word);
    NameCensus census;
    takeCensus(set, files, request.source, matcher.bits(), census);

    std::vector<Candidate> found;
    std::string folded;
    census.forEach([&](const NameCensus::Entry& e) {
        const std::string_view name(e.text, e.length());
        if (name == request.word) return;
        foldNameInto(name, folded);
        const Likeness l = matcher.rateFolded(folded);
        if (l != Likeness::None) found.push_back({l, &e});
    });
    const size_t n = std::min(limit, found.size());
    std::partial_sort(found.begin(), found.begin() + static_cast<ptrdiff_t>(n), found.end(),
                      likelierThan);
    for (size_t i = 0; i < n; ++i)
        out.push_back(
            {std::string(found[i].entry->text, found[i].entry->length()), found[i].entry->records});
    return out;
}

} // namespace talsk
