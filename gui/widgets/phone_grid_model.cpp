#include "gui/widgets/phone_grid_model.h"

#include <algorithm>
#include <cstring>

namespace talsk {

// Columns.

void PhoneGridModel::setColumnCount(int n) {
    n = std::clamp(n, 0, kMaxColumns);
    for (int c = 0; c < kMaxColumns; ++c) {
        if (c >= n)
            std::vector<const char*>().swap(cells_[c]);
        else if (c >= columnCount_)
            cells_[c].assign(static_cast<size_t>(rowCount_), nullptr);
    }
    columnCount_ = n;
    computeEdges();
}

void PhoneGridModel::setColumnWidth(int column, int pixels) {
    if (column < 0 || column >= kMaxColumns) return;
    if (pixels > 0) pixels = std::max<int>(pixels, minimum_[column]);
    width_[column] = static_cast<int16_t>(pixels);
    computeEdges();
}

void PhoneGridModel::setColumnMinimum(int column, int pixels) {
    if (column < 0 || column >= kMaxColumns) return;
    minimum_[column] = static_cast<int16_t>(std::clamp(pixels, 0, 32767));
    if (width_[column] > 0 && width_[column] < minimum_[column]) setColumnWidth(column, pixels);
}

int PhoneGridModel::columnMinimum(int column) const {
    return column >= 0 && column < kMaxColumns ? minimum_[column] : 0;
}

int PhoneGridModel::columnWidth(int column) const {
    return column >= 0 && column < kMaxColumns ? width_[column] : 0;
}

int PhoneGridModel::columnLeft(int column) const {
    return column > 0 && column < columnCount_ ? edge_[column - 1] : 0;
}

int PhoneGridModel::columnRight(int column) const {
    return column >= 0 && column < columnCount_ ? edge_[column] : 0;
}

void PhoneGridModel::setColumnFraction(float fraction, int column) {
    if (column < 0 || column >= kMaxColumns || !(fraction >= 0.0f)) return;
    fraction_[column] = fraction;
}

float PhoneGridModel::columnFraction(int column) const {
    return column >= 0 && column < kMaxColumns ? fraction_[column] : 0.0f;
}

void PhoneGridModel::applyFractions(int clientWidth) {
    int extra = 0;
    for (int c = 0; c < kMaxColumns; ++c) {
        int w = static_cast<int>(clientWidth * fraction_[c]);
        if (w > 0 && w < minimum_[c]) {
            extra += minimum_[c] - w;
            w = minimum_[c];
        }
        width_[c] = static_cast<int16_t>(w);
    }
    if (extra > 0 && columnCount_ > 0) {
        const auto widest = std::max_element(width_.begin(), width_.begin() + columnCount_);
        const auto c = static_cast<size_t>(widest - width_.begin());
        *widest = static_cast<int16_t>(std::max<int>(*widest - extra, minimum_[c]));
    }
    computeEdges();
}

void PhoneGridModel::setColumnFormat(int column, uint32_t format) {
    if (column >= 0 && column < kMaxColumns) format_[column] = format;
}

uint32_t PhoneGridModel::columnFormat(int column) const {
    return column >= 0 && column < kMaxColumns ? format_[column] : kAlignLeft;
}

void PhoneGridModel::computeEdges() {
    int16_t sum = 0;
    for (int c = 0; c < columnCount_; ++c) {
        sum = static_cast<int16_t>(sum + width_[c]);
        edge_[c] = sum;
    }
    totalWidth_ = columnCount_ > 0 ? edge_[columnCount_ - 1] : 0;
}

// Rows and cells.

void PhoneGridModel::setRowCount(int n) {
    n = std::max(n, 0);
    if (n != rowCount_) {
        const auto size = static_cast<size_t>(n);
        selected_.resize(size, 0);
        payload_.resize(size, 0);
        for (int c = 0; c < columnCount_; ++c)
            cells_[c].resize(size, nullptr);
        rowCount_ = n;
        if (currentRow_ >= n) select(-1, 0);
    }
    layout(clientWidth_, clientHeight_);
}

void PhoneGridModel::setCell(int row, int column, const char* text) {
    if (validRow(row) && column >= 0 && column < columnCount_) cells_[column][row] = text;
}

const char* PhoneGridModel::cell(int row, int column) const {
    return validRow(row) && column >= 0 && column < columnCount_ ? cells_[column][row] : nullptr;
}

void PhoneGridModel::setFieldCells(int row, const FieldPointers& fields) {
    static constexpr int kFieldOfColumn[] = {1, 2, 3, 6, 7};
    for (int c = 0; c < 5; ++c)
        setCell(row, c, fields[kFieldOfColumn[c]]);
}

void PhoneGridModel::setPayload(int row, uint64_t payload) {
    if (validRow(row)) payload_[row] = payload;
}

uint64_t PhoneGridModel::payload(int row) const {
    return validRow(row) ? payload_[row] : 0;
}

std::string PhoneGridModel::addressText(const char* cell) {
    if (cell == nullptr) return {};
    std::string text = cell;
    const char* house = cell + text.size() + 1;
    const char* unit = house + std::strlen(house) + 1;
    if (*house != '\0') text.append("  ").append(house);
    if (*unit != '\0') text.append(" - ").append(unit);
    return text;
}

std::string PhoneGridModel::cellText(int row, int column) const {
    const char* text = cell(row, column);
    if (text == nullptr) return {};
    return column == kAddressColumn ? addressText(text) : std::string(text);
}

size_t PhoneGridModel::longestCell(int column) const {
    size_t longest = 0;
    for (int row = 0; row < rowCount_; ++row)
        if (const char* text = cell(row, column))
            longest = std::max(longest, column == kAddressColumn ? addressText(text).size()
                                                                 : std::strlen(text));
    return longest;
}

// Selection.

void PhoneGridModel::select(int row, unsigned modifiers) {
    if (validRow(row)) {
        if (modifiers & kControl) {
            selected_[row] ^= 1;
            anchorRow_ = row;
        } else if ((modifiers & kShift) && currentRow_ != -1) {
            std::fill(selected_.begin(), selected_.end(), 0);
            const int from = std::max(std::min(anchorRow_, row), 0);
            const int to = std::min(std::max(anchorRow_, row), rowCount_ - 1);
            std::fill(selected_.begin() + from, selected_.begin() + to + 1, 1);
        } else {
            std::fill(selected_.begin(), selected_.end(), 0);
            selected_[row] = 1;
            anchorRow_ = row;
        }
    }
    currentRow_ = row;
    if (onSelect_) onSelect_(row);
}

bool PhoneGridModel::isSelected(int row) const {
    return validRow(row) && selected_[row] != 0;
}

void PhoneGridModel::selectAll() {
    std::fill(selected_.begin(), selected_.end(), 1);
}

void PhoneGridModel::invertSelection() {
    for (uint8_t& s : selected_)
        s ^= 1;
}

void PhoneGridModel::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
}

int PhoneGridModel::firstSelected() const {
    const auto it = std::find(selected_.begin(), selected_.end(), 1);
    return it == selected_.end() ? -1 : static_cast<int>(it - selected_.begin());
}

int PhoneGridModel::lastSelected() const {
    const auto it = std::find(selected_.rbegin(), selected_.rend(), 1);
    return it == selected_.rend() ? -1 : static_cast<int>(selected_.rend() - it) - 1;
}

int PhoneGridModel::selectedCount() const {
    return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

bool PhoneGridModel::moreThanOneSelected() const {
    return firstSelected() != lastSelected();
}

void PhoneGridModel::goToRow(int row, bool selectIt) {
    if (rowCount_ == 0) return;
    row = std::clamp(row, 0, rowCount_ - 1);
    if (selectIt) select(row, 0);
    firstRow_ = row - pageRows_ / 2;
    clampScroll();
}

void PhoneGridModel::deleteRow(int row, bool reselect) {
    if (!validRow(row)) return;
    std::vector<uint8_t> doomed(static_cast<size_t>(rowCount_), 0);
    doomed[row] = 1;
    removeRows(doomed);
    if (reselect)
        reselectAfterDelete();
    else
        layout(clientWidth_, clientHeight_);
}

void PhoneGridModel::deleteSelectedRows() {
    removeRows(selected_);
    reselectAfterDelete();
}

void PhoneGridModel::reselectAfterDelete() {
    select(std::min(currentRow_, rowCount_ - 1), 0);
    layout(clientWidth_, clientHeight_);
}

void PhoneGridModel::removeRows(const std::vector<uint8_t>& doomed) {
    // doomed may be selected_ itself: read each flag before its slot is reused.
    size_t kept = 0;
    for (size_t r = 0; r < static_cast<size_t>(rowCount_); ++r) {
        if (doomed[r]) continue;
        for (int c = 0; c < columnCount_; ++c)
            cells_[c][kept] = cells_[c][r];
        payload_[kept] = payload_[r];
        selected_[kept] = selected_[r];
        ++kept;
    }
    const auto n = static_cast<int>(kept);
    selected_.resize(kept);
    payload_.resize(kept);
    for (int c = 0; c < columnCount_; ++c)
        cells_[c].resize(kept);
    rowCount_ = n;
}

// Geometry.

void PhoneGridModel::setLineHeights(int header, int row) {
    headerHeight_ = std::max(header, 1);
    rowHeight_ = std::max(row, 1);
}

void PhoneGridModel::layout(int clientWidth, int clientHeight) {
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    computeEdges();
    visibleWidth_ = std::clamp(clientWidth, 0, std::max(totalWidth_, 0));
    pageRows_ = std::clamp((clientHeight - headerHeight_) / rowHeight_, 0, rowCount_);
    if (totalWidth_ < visibleWidth_ + horizontalOffset_)
        horizontalOffset_ = std::max(totalWidth_ - visibleWidth_, 0);
    if (rowCount_ < pageRows_ + firstRow_) firstRow_ = std::max(rowCount_ - pageRows_, 0);
}

void PhoneGridModel::clampScroll() {
    firstRow_ = std::clamp(firstRow_, 0, std::max(verticalMaximum(), 0));
    horizontalOffset_ = std::clamp(horizontalOffset_, 0, std::max(horizontalMaximum(), 0));
}

namespace {

// The new position for a scroll request, before clamping.
int scrolled(PhoneGridModel::Scroll request, int position, int page, int maximum, int thumb) {
    using S = PhoneGridModel::Scroll;
    switch (request) {
    case S::LineBack:
        return position - 1;
    case S::LineForward:
        return position + 1;
    case S::PageBack:
        return position - page;
    case S::PageForward:
        return position + page;
    case S::Thumb:
        return thumb;
    case S::Start:
        return 0;
    case S::End:
        return maximum;
    case S::Done:
        break;
    }
    return position;
}

} // namespace

int PhoneGridModel::verticalTarget(Scroll request, int thumb) const {
    const int maximum = std::max(verticalMaximum(), 0);
    return std::clamp(scrolled(request, firstRow_, pageRows_, maximum, thumb), 0, maximum);
}

int PhoneGridModel::horizontalTarget(Scroll request, int thumb) const {
    const int maximum = std::max(horizontalMaximum(), 0);
    return std::clamp(scrolled(request, horizontalOffset_, visibleWidth_, maximum, thumb), 0,
                      maximum);
}

int PhoneGridModel::scrollVertical(Scroll request, int thumb) {
    const int old = firstRow_;
    firstRow_ = verticalTarget(request, thumb);
    return firstRow_ - old;
}

int PhoneGridModel::scrollHorizontal(Scroll request, int thumb) {
    const int old = horizontalOffset_;
    horizontalOffset_ = horizontalTarget(request, thumb);
    return horizontalOffset_ - old;
}

int PhoneGridModel::rowsToDraw() const {
    const int n = std::max((clientHeight_ - headerHeight_) / rowHeight_ + 1, 0);
    return firstRow_ + n > rowCount_ ? std::max(n - 1, 0) : n;
}

void PhoneGridModel::scrollRowIntoView(int row) {
    if (row <= firstRow_)
        firstRow_ = row;
    else if (row >= firstRow_ + pageRows_)
        firstRow_ = row - pageRows_ + 1;
    clampScroll();
}

// Hit testing.

int PhoneGridModel::rowAt(int y) const {
    const int row = (y - headerHeight_) / rowHeight_ + firstRow_;
    return y < headerHeight_ && row == 0 ? -1 : row;
}

bool PhoneGridModel::inRowsArea(int x, int y) const {
    const bool lastRowVisible = firstRow_ + pageRows_ >= rowCount_;
    const int bottom =
        lastRowVisible ? headerHeight_ + (rowCount_ - firstRow_) * rowHeight_ : clientHeight_;
    return x >= 0 && x < visibleWidth_ && y >= headerHeight_ && y < bottom;
}

bool PhoneGridModel::onDataRow(int x, int y) const {
    return x <= totalWidth_ - horizontalOffset_ && validRow(rowAt(y));
}

} // namespace talsk
