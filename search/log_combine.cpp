#include "search/log_combine.h"

#include <cstring>
#include <string>

namespace talsk {

void combineLogEntries(const SearchLog& log, const std::vector<int>& entries, char op,
                       FieldQueryText& out) {
    out.clear();
    for (int k = 1; k <= kFieldCount; ++k) {
        std::string slot;
        for (int entry : entries) {
            if (entry < 0 || entry >= log.count) continue;
            const char* text = log.field(entry, k);
            const size_t length = strnlen(text, kLogTextMax);
            if (slot.size() + length >= kCombinedSlotLimit)
                continue; // this entry is left out of this slot only
            slot.append(text, length);
            slot.push_back(op);
        }
        std::string squeezed;
        for (char c : slot)
            if (!(c == op && !squeezed.empty() && squeezed.back() == op)) squeezed.push_back(c);
        if (!squeezed.empty() && squeezed.back() == op) squeezed.pop_back();
        if (!squeezed.empty() && squeezed.front() == op) squeezed.erase(0, 1);
        out.set(k, squeezed.c_str());
    }
}

} // namespace talsk
