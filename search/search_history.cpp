#include "search/search_history.h"

#include "base/char_tables.h"

namespace talsk {

namespace {

bool startsWithNoCase(const std::string& item, const std::string& text) {
    if (item.size() < text.size()) return false;
    const UpperTable& up = upperTable();
    for (size_t i = 0; i < text.size(); ++i)
        if (up[static_cast<unsigned char>(item[i])] != up[static_cast<unsigned char>(text[i])])
            return false;
    return true;
}

} // namespace

void SearchHistory::load(std::vector<std::string> items) {
    items_ = std::move(items);
    if (items_.size() > kHistoryLimit) items_.resize(kHistoryLimit);
    changed_ = false;
}

void SearchHistory::add(const std::string& text) {
    if (text.empty()) return;
    // The search starts after the top item and wraps round to it.
    const size_t n = items_.size();
    size_t found = n;
    for (size_t k = 1; k <= n; ++k) {
        size_t i = k % n;
        if (startsWithNoCase(items_[i], text)) {
            found = i;
            break;
        }
    }
    changed_ = true;
    if (n > 0 && found == 0) return;
    if (found < n && items_[found].size() == text.size())
        items_.erase(items_.begin() + static_cast<long>(found));
    items_.insert(items_.begin(), text);
    if (items_.size() > kHistoryLimit) items_.erase(items_.begin() + kHistoryLimit);
}

} // namespace talsk
