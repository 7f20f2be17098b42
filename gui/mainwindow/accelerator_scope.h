#pragma once
// The keys of a window's own accelerator table: they work only while that
// window (or a child of it) has the keyboard focus, and there they come
// before the main window's keys.

#include "gui/mainwindow/commands.h"

#include <QKeySequence>
#include <QObject>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

namespace talsk {

class AcceleratorScope : public QObject {
public:
    using Keys = std::vector<std::pair<QKeySequence, int>>;

    AcceleratorScope(QWidget* scope, Keys keys, std::function<void(int)> run);
    // Every key of one accelerator table of the command table.
    static Keys tableKeys(cmd::KeyTable table);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int commandFor(const QKeyEvent* key) const;

    QWidget* scope_;
    Keys keys_;
    std::function<void(int)> run_;
};

} // namespace talsk
