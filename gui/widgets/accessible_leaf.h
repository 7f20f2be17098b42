#pragma once
// A part of a control that a screen reader sees on its own (a cell of the
// grid, an item of the check list): it has no object and no children, and
// its window and parent are its control's.

#include <QAccessibleInterface>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace talsk {

class AccessibleLeaf : public QAccessibleInterface {
public:
    explicit AccessibleLeaf(QWidget* owner) : owner_(owner) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return owner_ != nullptr ? owner_->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(owner_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

private:
    QPointer<QWidget> owner_;
};

} // namespace talsk
