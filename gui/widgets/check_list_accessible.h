#pragma once
// The check list for assistive technology: a list of check boxes, each named
// by its item's text, checked as its box is, toggled by its action as by a click.

#include <QAccessibleWidget>
#include <QHash>

namespace talsk {

class CheckList;

class CheckListAccessible : public QAccessibleWidget {
public:
    explicit CheckListAccessible(CheckList* list);
    ~CheckListAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    CheckList* list() const;

    mutable QHash<int, QAccessible::Id> items_;
};

// Tells a screen reader that an item's box was checked or cleared.
void notifyCheckChanged(CheckList& list, int item);

} // namespace talsk
