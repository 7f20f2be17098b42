#include "gui/widgets/check_list_accessible.h"

#include "gui/widgets/accessible_leaf.h"
#include "gui/widgets/check_list.h"

#include <QAccessible>
#include <QPointer>

namespace talsk {

namespace {

// One item, by its row: it reads the list as it is when asked.
class CheckItemAccessible : public AccessibleLeaf, public QAccessibleActionInterface {
public:
    CheckItemAccessible(CheckList* list, int row) : AccessibleLeaf(list), list_(list), row_(row) {}

    bool isValid() const override { return list_ != nullptr && item() != nullptr; }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? item()->text() : QString();
    }
    QAccessible::Role role() const override { return QAccessible::CheckBox; }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        st.checkable = true;
        st.checked = list_->getCheck(row_);
        st.selectable = true;
        st.selected = item()->isSelected();
        st.focusable = true;
        st.focused = list_->hasFocus() && list_->currentRow() == row_;
        st.disabled = !list_->isEnabled();
        const QRect shown = list_->visualItemRect(item());
        st.invisible = !shown.intersects(list_->viewport()->rect());
        st.offscreen = st.invisible;
        return st;
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect shown = list_->visualItemRect(item());
        return {list_->viewport()->mapToGlobal(shown.topLeft()), shown.size()};
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction()}; }
    void doAction(const QString& action) override {
        if (action == toggleAction() && isValid() && list_->isEnabled())
            list_->setCheck(row_, !list_->getCheck(row_));
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    int row() const { return row_; }
    const CheckList* list() const { return list_.data(); }

private:
    QListWidgetItem* item() const { return list_->item(row_); }

    QPointer<CheckList> list_;
    int row_;
};

} // namespace

CheckListAccessible::CheckListAccessible(CheckList* list)
    : QAccessibleWidget(list, QAccessible::List) {}

CheckListAccessible::~CheckListAccessible() {
    for (const QAccessible::Id id : std::as_const(items_))
        QAccessible::deleteAccessibleInterface(id);
}

CheckList* CheckListAccessible::list() const {
    return static_cast<CheckList*>(widget());
}

int CheckListAccessible::childCount() const {
    return list()->count();
}

QAccessibleInterface* CheckListAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    if (const auto it = items_.constFind(index); it != items_.constEnd())
        return QAccessible::accessibleInterface(*it);
    auto* made = new CheckItemAccessible(list(), index);
    items_.insert(index, QAccessible::registerAccessibleInterface(made));
    return made;
}

int CheckListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* item = dynamic_cast<const CheckItemAccessible*>(child);
    return item != nullptr && item->list() == list() && item->isValid() ? item->row() : -1;
}

QAccessibleInterface* CheckListAccessible::childAt(int x, int y) const {
    const QPoint p = list()->viewport()->mapFromGlobal(QPoint(x, y));
    const QListWidgetItem* item = list()->itemAt(p);
    return item != nullptr ? child(list()->row(item)) : nullptr;
}

QAccessibleInterface* CheckListAccessible::focusChild() const {
    return list()->hasFocus() ? child(list()->currentRow()) : nullptr;
}

void notifyCheckChanged(CheckList& list, int item) {
    if (!QAccessible::isActive() || item < 0) return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(&list, changed);
    event.setChild(item);
    QAccessible::updateAccessibility(&event);
}

} // namespace talsk
