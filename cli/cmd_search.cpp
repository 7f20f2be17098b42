// talsk-cli search: a search by fields or a general search over base files,
// as the program runs it; each hit as an export line with its base index.

#include "base/base_set.h"
#include "base/cipher.h"
#include "base/load_status.h"
#include "cli/base_loader.h"
#include "cli/cli_util.h"
#include "cli/command.h"
#include "cli/output.h"
#include "platform/cp1251.h"
#include "search/search_session.h"
#include "search/similar_search.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace talsk::cli {

namespace {

const CommandTable kTable = {
    "search",
    "Searches base files by fields or in any field.",
    "[--key FILE=TEXT | --key-file FILE=KEYFILE]... [--tables pop|org|pop+org|city] [--case] "
    "[--spaces] [--yo] [--similar] (--field NAME=PATTERN... | --all PATTERN [--in NAME,...]) "
    "FILE...",
    "Searches base files as the program does: by fields (every --field pattern must match) or "
    "in any of the fields named by --in (all seven by default). Each hit is printed as its "
    "file's position from 0, then its export line; the last line gives the counts. With "
    "--similar a search that finds nothing lists the names the program offers instead, one "
    "line each: \"similar\", the name and its number of records, the likeliest first.",
    {kFileKeyOption,
     kFileKeyFileOption,
     {"--tables", "pop|org|pop+org|city", false, "The tables to search (default pop+org)."},
     {"--case", nullptr, false, "Letter case counts."},
     {"--spaces", nullptr, false, "A space is an ordinary character instead of \"or\"."},
     {"--yo", nullptr, false, "Е and Ё count as one letter, е and ё too."},
     {"--similar", nullptr, false,
      "When nothing is found, list similar surnames (organization names with --tables org)."},
     {"--field", "NAME=PATTERN", true,
      "A pattern for one field: phone, name, street, house, unit, organization or comment."},
     {"--all", "PATTERN", false, "A pattern for any of the fields."},
     {"--in", "NAME,...", false, "The fields --all looks in."}},
    0,
    kAnyCount};

constexpr const char* kFieldNames[kFieldCount] = {"phone", "name",         "street", "house",
                                                  "unit",  "organization", "comment"};

int fieldFromName(const std::string& name) {
    for (int k = 1; k <= kFieldCount; ++k)
        if (name == kFieldNames[k - 1]) return k;
    return 0;
}

bool tablesFromName(const std::string& name, TableMask& mask) {
    if (name == "pop")
        mask = kMaskPopulation;
    else if (name == "org")
        mask = kMaskOrganizations;
    else if (name == "pop+org")
        mask = kMaskPopulationOrganizations;
    else if (name == "city")
        mask = kMaskCityCodes;
    else
        return false;
    return true;
}

// The pattern as the program holds it; false when it is too long.
bool patternText(const std::string& utf8, std::string& cp1251) {
    cp1251 = utf8ToCp1251(utf8);
    return cp1251.size() <= static_cast<size_t>(kQueryTextMax) &&
           cp1251.find('\0') == std::string::npos;
}

// Why a pattern does not compile, or empty when it does.
// where: " of name" for a field, empty for the general pattern.
std::string compileProblem(const char* text, const MatchOptions& options,
                           const std::string& where) {
    CompiledPattern pattern;
    CompileError error = CompileError::None;
    if (pattern.compile(text, options, &error)) return {};
    if (error == CompileError::TooManyTerms)
        return "the pattern" + where + " has more than " + std::to_string(kMaxTerms) +
               " terms (words or alternatives joined by spaces, '|', ';', '&' or '+')";
    return "a term of the pattern" + where + " has more than " + std::to_string(kMaxSegments) +
           " segments (parts separated by '*')";
}

struct SearchArgs {
    KeyOptions keys;
    TableMask tables = kMaskPopulationOrganizations;
    bool caseSensitive = false;
    bool spacesSignificant = false;
    bool yoAsYe = false;
    bool similar = false;
    FieldQueryText fields;
    bool fieldMode = false;
    bool generalMode = false;
    std::string general;
    FieldSelection selection = kAllFields;
    bool selectionGiven = false;
    std::vector<std::string> files;
};

// Reads the parsed arguments; returns -1 when they are fine, else the exit status.
int readArgs(const ParsedArgs& args, SearchArgs& a) {
    if (int status = keyOptions(args, a.keys); status >= 0) return status;
    if (args.has("--tables") && !tablesFromName(args.value("--tables"), a.tables))
        return fail("option --tables takes pop, org, pop+org or city", kUsageError);
    a.caseSensitive = args.has("--case");
    a.spacesSignificant = args.has("--spaces");
    a.yoAsYe = args.has("--yo");
    a.similar = args.has("--similar");
    for (const std::string& v : args.values("--field")) {
        const size_t eq = v.find('=');
        const int k = eq == std::string::npos ? 0 : fieldFromName(v.substr(0, eq));
        if (k == 0)
            return fail("option --field needs NAME=PATTERN, NAME one of phone, name, "
                        "street, house, unit, organization, comment",
                        kUsageError);
        std::string text;
        if (!patternText(v.substr(eq + 1), text))
            return fail("the pattern of " + std::string(kFieldNames[k - 1]) + " is longer than " +
                            std::to_string(kQueryTextMax) + " characters",
                        kUsageError);
        a.fields.set(k, text.c_str());
        a.fieldMode = true;
    }
    if (args.has("--all")) {
        if (!patternText(args.value("--all"), a.general))
            return fail("the pattern is longer than " + std::to_string(kQueryTextMax) +
                            " characters",
                        kUsageError);
        a.generalMode = true;
    }
    if (args.has("--in")) {
        const std::string v = args.value("--in");
        a.selection = FieldSelection{};
        a.selectionGiven = true;
        size_t start = 0;
        while (true) {
            const size_t comma = v.find(',', start);
            const std::string name = v.substr(start, comma - start);
            const int k = fieldFromName(name);
            if (k == 0) return fail("unknown field '" + name + "' in --in", kUsageError);
            a.selection[static_cast<size_t>(k - 1)] = 1;
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    a.files = args.positional;
    if (a.fieldMode == a.generalMode) return fail(usageLine(kTable), kUsageError);
    if (a.selectionGiven && !a.generalMode) return fail("option --in goes with --all", kUsageError);
    if (a.files.empty()) return fail("no base file given", kUsageError);
    if (a.files.size() > static_cast<size_t>(kMaxFiles))
        return fail("at most " + std::to_string(kMaxFiles) + " files can be searched", kUsageError);
    warnUnusedKeys(a.keys, a.files);
    return -1;
}

int runSearch(const ParsedArgs& args) {
    SearchArgs a;
    if (int status = readArgs(args, a); status >= 0) return status;

    ProgramSettings settings;
    settings.caseSensitive = a.caseSensitive ? 1 : 0;
    settings.spacesSignificant = a.spacesSignificant ? 1 : 0;
    settings.yoAsYe = a.yoAsYe ? 1 : 0;
    BaseSet set;
    set.bases.resize(a.files.size());

    // One search: building the pair filters would cost more than they save.
    const OpenOptions oneSearch{.access = BaseAccess::Reader, .pairFilters = false};
    bool allLoaded = true;
    for (size_t j = 0; j < a.files.size(); ++j) {
        PhoneBase& base = set.bases[j];
        const std::string typed = a.keys.keyFor(a.files[j]);
        base.key = typed.empty() ? std::string() : deriveFileKey(typed);
        const std::string path = a.files[j];
        bool opened = openBase(base, &path, oneSearch);
        if (!opened && base.status == StatusKeyMissing && typed.empty() && a.keys.ask(a.files[j])) {
            base.key = deriveFileKey(a.keys.keyFor(a.files[j]));
            opened = openBase(base, &path, oneSearch);
        }
        if (!opened) {
            fail(a.files[j] + ": " + loadFailure(base, "--key-file FILE=KEYFILE"));
            allLoaded = false;
        } else if (base.status == StatusReadOnlyIncomplete) {
            // Searched all the same, but the hits cannot be all there are.
            fail(a.files[j] + ": " + oneLine(statusMessage(base.status, false)));
            allLoaded = false;
        }
    }

    SearchArea area;
    std::fill_n(area.files.begin(), std::min(a.files.size(), area.files.size()), 1);
    area.tables = a.tables;
    const MatchOptions options{a.caseSensitive, a.spacesSignificant, a.yoAsYe};
    SearchSession session(set, &settings);
    const int32_t result = a.fieldMode
                               ? session.fieldSearch(a.fields, area, false).hits
                               : session.generalSearch(a.general.c_str(), area, &a.selection);
    const SearchState& st = session.state();
    if (result == kSearchNotCompiled) {
        std::string problem;
        if (a.fieldMode) {
            for (int k = 1; k <= kFieldCount && problem.empty(); ++k)
                problem = compileProblem(a.fields.slot(k), options,
                                         std::string(" of ") + kFieldNames[k - 1]);
        } else {
            problem = compileProblem(a.general.c_str(), options, "");
        }
        for (PhoneBase& base : set.bases)
            closeBase(base);
        return fail(problem.empty() ? "the query cannot be compiled" : problem, kUsageError);
    }

    bool written = true;
    for (size_t n = 0; n < st.hits.size() && written; ++n) {
        const SearchHit& h = st.hits[n];
        const BaseTable& t = set.bases[static_cast<size_t>(h.base)].table(h.table);
        std::string line = std::to_string(h.base);
        line += '\t';
        line += exportLine(h.table, h.record, t);
        line += '\n';
        written = writeOut(line);
    }
    if (a.similar && result == 0 && written) {
        SimilarRequest request;
        const bool offers = a.fieldMode ? similarRequest(a.fields, area.tables, request)
                                        : similarRequest(a.general.c_str(), area.tables, request);
        if (offers)
            for (const SimilarName& n : findSimilarNames(set, area.files, request))
                if (!(written = writeOut("similar\t" + cp1251ToUtf8(n.name) + '\t' +
                                         std::to_string(n.records) + '\n')))
                    break;
    }
    print("# population=%d organizations=%d citycodes=%d total=%d\n", st.populationHits,
          st.organizationHits, st.cityCodeHits, hitTotal(st));
    for (PhoneBase& base : set.bases)
        closeBase(base);
    return allLoaded ? 0 : 1;
}

CommandRegistrar reg(kTable, &runSearch);

} // namespace

} // namespace talsk::cli
