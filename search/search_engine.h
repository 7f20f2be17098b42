#pragma once
// The search by fields and the general search over the search area of a
// BaseSet: the hits go into the SearchState given, in base order, then table
// order, then record order.

#include "base/base_set.h"
#include "base/search_state.h"
#include "search/query.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace talsk {

// The seven pattern texts of a search by fields, in RecordField order.
struct FieldQueryText {
    char slots[kFieldCount][kQuerySlot] = {};

    char* slot(int k) { return slots[k - 1]; } // k = 1..7
    const char* slot(int k) const { return slots[k - 1]; }
    char* slot(RecordField f) { return slot(static_cast<int>(f)); }
    const char* slot(RecordField f) const { return slot(static_cast<int>(f)); }
    // Copies text, cut to kQueryTextMax characters, into field k's slot.
    void set(int k, const char* text);
    void clear();
    bool empty() const;
};

// One flag per field in RecordField order: the general search looks in the
// fields whose flag is 1.
using FieldSelection = std::array<uint8_t, kFieldCount>;
constexpr FieldSelection kAllFields = {1, 1, 1, 1, 1, 1, 1};

struct MatchOptions {
    bool caseSensitive = false;
    bool spacesSignificant = false;
    bool yoAsYe = false; // "Е и Ё не различать"
};

// The table both sides of a comparison go through: upper-casing when case is
// ignored, with Ё as Е when yoAsYe; nullptr when bytes compare as they are.
const unsigned char* foldTable(const MatchOptions& options);

// One pattern text compiled, with the normalized copy its terms point into.
// The copy goes through the fold table before compilation.
class CompiledPattern {
public:
    CompiledPattern() = default;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    // Copies at most kQueryTextMax characters of source and compiles them.
    [[nodiscard]] bool compile(const char* source, const MatchOptions& options,
                               CompileError* error = nullptr);
    const TermList& terms() const { return list_; }
    bool caseSensitive() const { return caseSensitive_; }
    const unsigned char* fold() const { return fold_; }
    // The term list against one zero-terminated field text.
    bool matches(const char* field) const;

private:
    char text_[kQuerySlot] = {};
    TermList list_;
    const unsigned char* fold_ = nullptr;
    bool caseSensitive_ = false;
};

// A compiled search by fields: a field whose list has no term places no condition.
struct FieldQuery {
    CompiledPattern fields[kFieldCount];
};

struct GeneralQuery {
    CompiledPattern pattern;
    FieldSelection selection = kAllFields;
};

// Results of a run: the number of hits, or one of these.
constexpr int32_t kSearchCancelled = -1;
constexpr int32_t kSearchNotCompiled = -2;

// An area this large is worth a second thread: starting one costs about as
// much as searching a few thousand records.
constexpr int32_t kSplitRecords = 65536;

// Where one run looks, how it matches, where its hits go and what stops it.
// The set's tables are only read.
struct SearchRun {
    const BaseSet* set = nullptr;
    TableMask tables = 0;
    FileMask fileMask{};
    MatchOptions options;
    SearchResults* out = nullptr;
    const std::atomic<uint8_t>* cancel = nullptr; // read after every record; none: never
    // An area of at least this many records is searched on two threads (where
    // there are two cores), cut into pieces of splitRecords / 8 records (at
    // least one) that whichever thread is free takes; 0: one thread.
    int32_t splitRecords = kSplitRecords;
};

// The settings' caseSensitive, spacesSignificant and yoAsYe; the defaults
// without settings.
MatchOptions matchOptionsOf(const ProgramSettings* settings);

// A run over the set within the state's search area, with the settings'
// match options, into the state.
SearchRun foregroundRun(const BaseSet& set, SearchState& state,
                        const ProgramSettings* settings = nullptr);

int32_t runFieldSearch(const FieldQueryText& query, const SearchRun& run);
// selection: nullptr for all seven fields.
int32_t runGeneralSearch(const char* text, const SearchRun& run, const FieldSelection* selection);

// The same on the window's thread, into state: a run that ends with 0 or
// more hits leaves them current (dirty 0).
int32_t runFieldSearch(const FieldQueryText& query, const BaseSet& set, SearchState& state,
                       const ProgramSettings* settings = nullptr);
int32_t runGeneralSearch(const char* text, const BaseSet& set, SearchState& state,
                         const FieldSelection* selection = nullptr,
                         const ProgramSettings* settings = nullptr);

// "Вывести все записи": one hit per record of the state's files and tables
// (every table the mask contains), kind AllRecords, dirty 1. Returns the count.
int32_t fillAllRecords(const BaseSet& set, SearchState& state);

// Drops the hits and makes room for the largest search the connected bases
// allow: max(population + organizations, city codes), from the set's totals.
void sizeHitList(const BaseSet& set, SearchState& state);

} // namespace talsk
