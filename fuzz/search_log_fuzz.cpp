// Reads "search.log" from arbitrary bytes (either layout) as the main window
// does at start-up, takes the history list, and writes the log again: what
// was read must read back the same.

#include "search/search_log.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace talsk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    // Small capacities make longer logs drop their oldest entries.
    const int capacity = kLogCapacityMin + static_cast<int>(size % 40);
    SearchLog log;
    if (!loadLogImage(log, bytes, capacity)) {
        if (log.count != 0 || log.textSize != 0) __builtin_trap();
        return 0;
    }
    if (log.count > capacity) __builtin_trap();
    FieldQueryText query;
    for (int i = 0; i < log.count; ++i) {
        logEntryQuery(log, i, query);
        for (int k = 1; k <= kFieldCount; ++k)
            if (std::strlen(log.field(i, k)) > static_cast<size_t>(kLogTextMax)) __builtin_trap();
    }
    const std::vector<std::string> history = takeHistory(log);
    setHistory(log, history);
    SearchLog again;
    if (!loadLogImage(again, logImage(log), capacity) || again.count != log.count ||
        again.textSize != log.textSize || takeHistory(again) != history)
        __builtin_trap();
    return 0;
}
