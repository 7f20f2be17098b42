#pragma once
// Acting on a modal dialog that a function under test runs with exec():
// the action is queued, runs once a dialog of the wanted type is up, and a
// dialog still open long after is closed with a failure so no test hangs.

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace talsk::test {

template <class Dialog> void whenModal(std::function<void(Dialog*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, waited = 0, act]() mutable {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            // The action's clicks and keys go to the window once it is active
            // and has given the focus to its control.
            EXPECT_TRUE(QTest::qWaitFor([dialog] {
                return dialog->isActiveWindow() && dialog->focusWidget() != nullptr &&
                       QApplication::focusWidget() == dialog->focusWidget();
            }));
            act(dialog);
            // Anything the action left open is a failure, not a hang.
            QPointer<Dialog> still(dialog);
            QTimer::singleShot(5000, [still] {
                if (still && still->isVisible()) {
                    ADD_FAILURE() << "dialog left open";
                    still->reject();
                }
            });
        } else if (++waited > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal dialog came up";
        }
    });
    timer->start();
}

// Types text key by key, Cyrillic included (QTest::keyClicks takes ASCII only).
inline void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// The push button with this text among the dialog's children.
inline QPushButton* button(QWidget* dialog, const QString& text) {
    for (QPushButton* b : dialog->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    ADD_FAILURE() << "no button " << text.toStdString();
    return nullptr;
}

inline QString labelText(QWidget* dialog, const char* name) {
    auto* label = dialog->findChild<QLabel*>(QString::fromLatin1(name));
    return label != nullptr ? label->text() : QStringLiteral("<none>");
}

} // namespace talsk::test
