#pragma once
// The drop-down history of the general search bar: at most 100 texts
// (Windows-1251), most recent first, kept in the search log file.

#include <string>
#include <vector>

namespace talsk {

constexpr size_t kHistoryLimit = 100;

class SearchHistory {
public:
    const std::vector<std::string>& items() const { return items_; }
    bool changed() const { return changed_; }
    void load(std::vector<std::string> items);
    // After a general search with text: brings it to the top unless the top
    // item already starts with it (letter case ignored).
    void add(const std::string& text);

private:
    std::vector<std::string> items_;
    bool changed_ = false;
};

} // namespace talsk
