#include "gui/mainwindow/accelerator_scope.h"

#include "gui/widgets/text.h"

#include <QApplication>
#include <QKeyEvent>

namespace talsk {

AcceleratorScope::AcceleratorScope(QWidget* scope, Keys keys, std::function<void(int)> run)
    : QObject(scope), scope_(scope), keys_(std::move(keys)), run_(std::move(run)) {
    qApp->installEventFilter(this);
}

AcceleratorScope::Keys AcceleratorScope::tableKeys(cmd::KeyTable table) {
    Keys keys;
    for (const cmd::Command& c : cmd::commandTable()) {
        if (c.table != table) continue;
        for (std::string_view k : cmd::commandKeys(c))
            keys.emplace_back(QKeySequence(fromUtf8(k), QKeySequence::PortableText), c.id);
    }
    return keys;
}

int AcceleratorScope::commandFor(const QKeyEvent* key) const {
    // The keypad's Enter and arrows count as the plain keys.
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const QKeySequence pressed(QKeyCombination(mods, Qt::Key(key->key())));
    for (const auto& [sequence, id] : keys_)
        if (sequence == pressed) return id;
    return 0;
}

bool AcceleratorScope::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type t = event->type();
    if (t != QEvent::ShortcutOverride && t != QEvent::KeyPress) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !scope_->isVisible() || (w != scope_ && !scope_->isAncestorOf(w))) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const int id = commandFor(key);
    if (id == 0) return false;
    if (t == QEvent::ShortcutOverride) {
        key->accept(); // the key comes here, not to the main window's shortcuts
        return true;
    }
    run_(id);
    return true;
}

} // namespace talsk
