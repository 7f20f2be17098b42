#pragma once
// The names offered when a search finds nothing: the distinct surnames (or
// organization names) of the files searched that sound like the word asked
// for or are one slip from it, each with its number of records, the
// likeliest first. Made on demand; nothing is kept between two calls.

#include "base/base_set.h"
#include "search/search_engine.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace talsk {

enum class NameSource : uint8_t { Surnames, Organizations };

// The word of a search and where names like it are looked for.
struct SimilarRequest {
    std::string word; // as typed
    NameSource source = NameSource::Surnames;
};

struct SimilarName {
    std::string name; // as the first record holding it writes it
    int32_t records = 0;
};

constexpr size_t kSimilarLimit = 10;

// A search by fields offers names for its surname slot when residents are
// searched, else for its organization slot when organizations are; the
// slot must hold one word (see similarWord). False when it offers none.
bool similarRequest(const FieldQueryText& query, TableMask tables, SimilarRequest& out);
// The general search offers surnames when residents are searched,
// organization names when only organizations are.
bool similarRequest(const char* text, TableMask tables, SimilarRequest& out);

// The one word of a pattern text: spaces around it, a leading '*' and a
// trailing '*' or '%' left out; empty when what is left is shorter than
// three characters or holds a space, an operator or a wildcard.
std::string similarWord(std::string_view pattern);

// A resident's surname: the Name field up to its first space, comma or dot.
std::string_view surnameOf(std::string_view name);

// The names of the request's source over the connected bases whose byte in
// files is 1, up to limit; a name spelt exactly as the word is left out.
std::vector<SimilarName> findSimilarNames(const BaseSet& set, const FileMask& files,
                                          const SimilarRequest& request,
                                          size_t limit = kSimilarLimit);

} // namespace talsk
