// What the mouse and the navigation keys do to the grid's state.

#include "gui/widgets/phone_grid_model.h"

#include <algorithm>

namespace talsk {

bool PhoneGridModel::pressLeft(int x, int y, unsigned modifiers) {
    const bool inRows = inRowsArea(x, y);
    if (inRows) buttonDownInRows_ = true;
    if (onDataRow(x, y)) select(rowAt(y), modifiers);
    return inRows;
}

bool PhoneGridModel::moveMouse(int x, int y, unsigned modifiers, bool leftDown) {
    const int oldHover = hoverRow_;
    const int oldCurrent = currentRow_;
    const int oldFirst = firstRow_;
    const int row = rowAt(y);
    if (row >= 0) {
        // Rows below the data but inside the page take the hover too.
        const int pageCapacity = (clientHeight_ - headerHeight_) / rowHeight_;
        if (hoverTracking_ && x <= visibleWidth_ && row < std::max(rowCount_, pageCapacity)) {
            leaveArmed_ = true;
            if (row != hoverRow_ && y > rowHeight_) {
                hoverRow_ = -1;
                if (row >= rowCount_ || !selected_[row]) hoverRow_ = row;
            }
        } else if (!buttonDownInRows_) {
            hoverRow_ = -1;
        }
    }
    if (inRowsArea(x, y) && onDataRow(x, y)) {
        if (leftDown && buttonDownInRows_ && row != currentRow_) select(row, modifiers | kShift);
    } else if (buttonDownInRows_ && leftDown && rowCount_ > 0) {
        // Dragging outside the rows scrolls the selection along.
        const int target = std::clamp(row, 0, rowCount_ - 1);
        if (target != currentRow_ || !selected_[target]) {
            scrollRowIntoView(target);
            select(target, kShift);
        }
    }
    return hoverRow_ != oldHover || currentRow_ != oldCurrent || firstRow_ != oldFirst;
}

bool PhoneGridModel::leaveMouse() {
    leaveArmed_ = false;
    const bool hadHover = hoverRow_ != -1;
    hoverRow_ = -1;
    return hadHover;
}

bool PhoneGridModel::pressRight(int x, int y, unsigned modifiers) {
    if (!onDataRow(x, y) || selected_[rowAt(y)]) return false;
    select(rowAt(y), modifiers);
    return true;
}

int PhoneGridModel::doubleClickRow(int x, int y) const {
    return onDataRow(x, y) ? rowAt(y) : -1;
}

void PhoneGridModel::pressKey(Key key, bool shift) {
    int d = 0;
    switch (key) {
    case Key::Up:
        d = -1;
        break;
    case Key::Down:
        d = 1;
        break;
    case Key::PageUp:
        d = -pageRows_;
        break;
    case Key::PageDown:
        d = pageRows_;
        break;
    case Key::Home:
        d = -(firstRow_ + pageRows_);
        break;
    case Key::End:
        d = rowCount_ - 1;
        break;
    }
    if (rowCount_ == 0) return;
    const int row = std::clamp(currentRow_ + d, 0, rowCount_ - 1);
    if (d > rowCount_ - 1 || (d < 0 && firstRow_ == 0)) d = 0;
    select(row, shift ? kShift : 0);
    if (row < firstRow_ || row >= firstRow_ + pageRows_) {
        firstRow_ += d;
        clampScroll();
    }
}

void PhoneGridModel::setHoverTracking(bool on) {
    hoverTracking_ = on;
    if (!on && leaveArmed_) hoverRow_ = -1;
}

PhoneGridModel::Look PhoneGridModel::look(int row) const {
    if (isSelected(row)) return Look::Selected;
    if (hoverTracking_ && row == hoverRow_) return Look::Hover;
    return Look::Normal;
}

} // namespace talsk
