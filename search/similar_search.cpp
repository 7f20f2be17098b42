#include "search/similar_search.h"

#include "base/char_tables.h"
#include "search/similar_names.h"

#include <algorithm>
#include <cstring>

namespace talsk {

namespace {

using uchar = unsigned char;

// The distinct names of a table, told apart by their upper-case form; each
// keeps the spelling of its first record and counts its records. Open
// addressing over a power-of-two table, so that a million records cost one
// hash and, mostly, one comparison each.
class NameCensus {
public:
    struct Entry {
        uint64_t hash = 0;
        const char* text = nullptr; // nullptr: free
        uint32_t length = 0;
        int32_t records = 0;
    };

    NameCensus() : slots_(kFirstSize) {}

    void add(const char* text, size_t length) {
        const uchar* upper = upper_.data();
        uint64_t h = 14695981039346656037ull;
        for (size_t i = 0; i < length; ++i)
            h = (h ^ upper[static_cast<uchar>(text[i])]) * 1099511628211ull;
        size_t mask = slots_.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Entry& e = slots_[i];
            if (e.text == nullptr) {
                e = Entry{h, text, static_cast<uint32_t>(length), 1};
                if (++used_ * 2 > slots_.size()) grow();
                return;
            }
            if (e.hash == h && e.length == length && sameUpper(e.text, text, length)) {
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
    static constexpr size_t kFirstSize = 1024;

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
            size_t i = e.hash & mask;
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

// The field's text up to its zero, never past the pool's end.
std::string_view fieldText(const char* field, const char* poolEnd) {
    if (field >= poolEnd) return {};
    const void* zero = std::memchr(field, 0, static_cast<size_t>(poolEnd - field));
    const char* end = zero ? static_cast<const char*>(zero) : poolEnd;
    return {field, static_cast<size_t>(end - field)};
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

void takeCensus(const BaseSet& set, const FileMask& files, NameSource source, NameCensus& census) {
    const TableKind kind =
        source == NameSource::Surnames ? TableKind::Population : TableKind::Organizations;
    const int field = source == NameSource::Surnames ? 2 : 6;
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
            std::string_view text = fieldText(fieldPointers(pool, e[i])[field], poolEnd);
            text = source == NameSource::Surnames ? surnameOf(text) : trimmed(text);
            if (!text.empty()) census.add(text.data(), text.size());
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
    const std::string_view x(a.entry->text, a.entry->length), y(b.entry->text, b.entry->length);
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
    NameCensus census;
    takeCensus(set, files, request.source, census);

    const SimilarMatcher matcher(request.word);
    std::vector<Candidate> found;
    std::string folded;
    census.forEach([&](const NameCensus::Entry& e) {
        const std::string_view name(e.text, e.length);
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
            {std::string(found[i].entry->text, found[i].entry->length), found[i].entry->records});
    return out;
}

} // namespace talsk
