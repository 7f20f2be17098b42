// The check list's context menu and check boxes, used as a user would.

#include "gui/widgets/check_list.h"

#include "gui/support/accessibility_on.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace talsk {
namespace {

std::vector<int> checked(const CheckList& list) {
    std::vector<int> items;
    for (int i = 0; i < list.count(); ++i)
        if (list.getCheck(i)) items.push_back(i);
    return items;
}

// Opens the context menu over the list and clicks the entry with that text;
// returns the texts the menu offered.
QStringList chooseFromMenu(CheckList& list, const QString& entry) {
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) return;
        for (QAction* action : menu->actions()) {
            offered << action->text();
            if (action->text() == entry)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        }
        if (menu->isVisible()) menu->close();
    });
    const QPoint at(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, list.mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &event);
    return offered;
}

TEST(CheckList, ContextMenuChecksClearsAndInvertsAll) {
    struct Case {
        const char* entry;
        std::vector<int> result;
    };
    const Case cases[] = {
        {"Инвертировать", {0, 2, 4}},
        {"Выделить все", {0, 1, 2, 3, 4}},
        {"Снять выделение", {}},
    };
    for (const Case& c : cases) {
        CheckList list;
        for (const char* name : {"а.btn", "б.btn", "в.btn", "г.btn", "д.btn"})
            list.addCheckItem(QString::fromUtf8(name));
        list.setCheck(1, true);
        list.setCheck(3, true);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
        const QStringList offered = chooseFromMenu(list, QString::fromUtf8(c.entry));
        EXPECT_EQ(offered,
                  QStringList({QStringLiteral("Выделить все"), QStringLiteral("Снять выделение"),
                               QStringLiteral("Инвертировать")}));
        EXPECT_EQ(checked(list), c.result) << c.entry;
    }
}

TEST(CheckList, SpaceTogglesTheCurrentItem) {
    CheckList list;
    list.addCheckItem(QStringLiteral("первый"));
    list.addCheckItem(QStringLiteral("второй"));
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    list.setCurrentRow(1);
    QTest::keyClick(list.viewport(), Qt::Key_Space);
    EXPECT_EQ(checked(list), std::vector<int>{1});
    QTest::keyClick(list.viewport(), Qt::Key_Space);
    EXPECT_TRUE(checked(list).empty());
    EXPECT_FALSE(list.getCheck(7));
}

std::vector<std::pair<QObject*, int>> checkEvents; // list and item of each change

void recordCheck(QAccessibleEvent* event) {
    if (event->type() == QAccessible::StateChanged &&
        static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked)
        checkEvents.emplace_back(event->object(), event->child());
}

// A screen reader finds a list of check boxes named by their items; its
// toggle works as a click on the box and is told back to it.
TEST(CheckList, ScreenReaderSeesCheckBoxesItCanToggle) {
    CheckList list;
    list.setAccessibleName("Файлы");
    for (const char* text : {"a.btn", "b.btn", "c.btn"})
        list.addCheckItem(QString::fromUtf8(text));
    list.setCheck(1, true);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::List);
    EXPECT_EQ(iface->text(QAccessible::Name), QString("Файлы"));
    ASSERT_EQ(iface->childCount(), 3);
    checkEvents.clear();
    const test::AccessibilityOn listening(recordCheck);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        QAccessibleInterface* box = iface->child(i);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->role(), QAccessible::CheckBox);
        EXPECT_EQ(box->text(QAccessible::Name), list.item(i)->text());
        EXPECT_EQ(iface->indexOfChild(box), i);
        EXPECT_TRUE(box->state().checkable);
        const bool was = list.getCheck(i);
        EXPECT_EQ(bool(box->state().checked), was);
        box->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(list.getCheck(i), !was);
        EXPECT_EQ(bool(box->state().checked), !was);
    }
    EXPECT_EQ(checked(list), (std::vector<int>{0, 2}));
    const std::vector<std::pair<QObject*, int>> expected = {{&list, 0}, {&list, 1}, {&list, 2}};
    EXPECT_EQ(checkEvents, expected);
}

} // namespace
} // namespace talsk
