// The check list's context menu and check boxes, used as a user would.

#include "gui/widgets/check_list.h"

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

} // namespace
} // namespace talsk
