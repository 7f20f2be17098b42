// Sorting the grid's rows by one column: text order through the upper-case
// table, empty cells kept together at the front (ascending) or the back.

#include "base/char_tables.h"
#include "gui/widgets/phone_grid_model.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace talsk {

namespace {

// Compares byte by byte through the upper-case table over `parts` consecutive
// NUL-terminated strings; negative, zero or positive.
int compareCells(const UpperTable& upper, const char* a, const char* b, int parts) {
    auto pa = reinterpret_cast<const unsigned char*>(a);
    auto pb = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        const int ca = upper[*pa];
        const int cb = upper[*pb];
        if (ca != cb) return ca - cb;
        if (*pa == 0 && --parts == 0) return 0;
        ++pa;
        ++pb;
    }
}

// The first sixteen bytes that compareCells looks at, upper-cased, as two
// numbers whose order is theirs: rows whose prefixes differ compare by them
// alone, without reaching into the records.
struct SortPrefix {
    uint64_t high = 0;
    uint64_t low = 0;

    bool operator==(const SortPrefix&) const = default;
    bool operator<(const SortPrefix& o) const {
        return high != o.high ? high < o.high : low < o.low;
    }
};

SortPrefix sortPrefix(const UpperTable& upper, const char* text, int parts) {
    unsigned char bytes[16] = {};
    if (text != nullptr) {
        auto p = reinterpret_cast<const unsigned char*>(text);
        for (int i = 0; i < 16; ++i, ++p) {
            bytes[i] = upper[*p];
            if (*p == 0 && --parts == 0) break;
        }
    }
    SortPrefix key;
    for (int i = 0; i < 8; ++i) {
        key.high = key.high << 8 | bytes[i];
        key.low = key.low << 8 | bytes[8 + i];
    }
    return key;
}

// Quicksort on an explicit stack: the middle element is the pivot, short
// ranges are finished by selection sort.
template <typename T, typename Less> void quickSort(std::vector<T>& rows, Less less) {
    constexpr int kShortRange = 8;
    std::vector<std::pair<int, int>> stack; // inclusive ranges
    if (rows.size() > 1) stack.emplace_back(0, static_cast<int>(rows.size()) - 1);
    while (!stack.empty()) {
        const auto [lo, hi] = stack.back();
        stack.pop_back();
        if (hi - lo + 1 <= kShortRange) {
            for (int i = lo; i < hi; ++i) {
                int smallest = i;
                for (int j = i + 1; j <= hi; ++j)
                    if (less(rows[j], rows[smallest])) smallest = j;
                std::swap(rows[i], rows[smallest]);
            }
            continue;
        }
        std::swap(rows[lo], rows[lo + (hi - lo) / 2]);
        const T pivot = rows[lo];
        int i = lo + 1;
        int j = hi;
        for (;;) {
            while (i <= j && less(rows[i], pivot))
                ++i;
            while (i <= j && less(pivot, rows[j]))
                --j;
            if (i >= j) break;
            std::swap(rows[i++], rows[j--]);
        }
        std::swap(rows[lo], rows[j]);
        // The larger part waits on the stack, which keeps it short.
        std::pair<int, int> left{lo, j - 1};
        std::pair<int, int> right{j + 1, hi};
        if (left.second - left.first > right.second - right.first) std::swap(left, right);
        stack.push_back(right);
        stack.push_back(left);
    }
}

} // namespace

void PhoneGridModel::sortByColumn(int column, GridSortState& state) {
    if (column < 0 || column >= columnCount_) return;
    state.toggle = column == state.lastColumn ? 1 - state.toggle : 0;
    state.lastColumn = column;
    const bool descending = state.toggle == 1;

    const std::vector<const char*>& keys = cells_[column];
    const auto isEmpty = [&](int32_t r) { return keys[r] == nullptr || keys[r][0] == '\0'; };
    std::vector<int32_t> order(static_cast<size_t>(rowCount_));
    std::iota(order.begin(), order.end(), 0);
    // Empty cells go to the front for an ascending sort, to the back otherwise.
    const auto split = descending ? std::stable_partition(order.begin(), order.end(),
                                                          [&](int32_t r) { return !isEmpty(r); })
                                  : std::stable_partition(order.begin(), order.end(), isEmpty);

    // Each row with its prefix, side by side, so that most comparisons stay
    // within this array.
    struct Item {
        SortPrefix prefix;
        int32_t row;
    };
    const UpperTable& upper = upperTable();
    const int parts = column == kAddressColumn ? 3 : 1;
    std::vector<Item> filled;
    const auto first = descending ? order.begin() : split;
    const auto last = descending ? split : order.end();
    filled.reserve(static_cast<size_t>(last - first));
    for (auto it = first; it != last; ++it)
        filled.push_back({sortPrefix(upper, keys[*it], parts), *it});
    quickSort(filled, [&](const Item& a, const Item& b) {
        if (!(a.prefix == b.prefix)) return descending ? b.prefix < a.prefix : a.prefix < b.prefix;
        const int cmp = compareCells(upper, keys[a.row], keys[b.row], parts);
        return descending ? cmp > 0 : cmp < 0;
    });
    for (size_t i = 0; i < filled.size(); ++i)
        first[static_cast<std::ptrdiff_t>(i)] = filled[i].row;

    // Rows move whole: every cell, the selection byte and the payload.
    const auto permute = [&](auto& values) {
        auto moved = values;
        for (size_t i = 0; i < order.size(); ++i)
            moved[i] = values[static_cast<size_t>(order[i])];
        values.swap(moved);
    };
    for (int c = 0; c < columnCount_; ++c)
        permute(cells_[c]);
    permute(selected_);
    permute(payload_);
}

} // namespace talsk
