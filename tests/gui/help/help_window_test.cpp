// The program's help from the main window: F1 opens it at its contents, the
// topics and back / forward move through the pages, and an unknown page
// falls back to the contents without a message box.

#include "base/settings.h"
#include "gui/help/help_window.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/support/config_home.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstdlib>

namespace talsk {
namespace {

QPushButton* buttonOf(QWidget* w, const QString& text) {
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

TEST(HelpWindow, F1OpensTheContentsAndTopicsNavigate) {
    test::TempDir dir;
    test::ConfigHome home(dir.file("config"));
    ProgramSettings settings;
    resetSettings(settings, ResetMode::All);
    settings.programFolder = dir.path();
    CMainFrame frame(settings);
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));

    QTest::keyClick(&frame, Qt::Key_F1);
    auto* help = frame.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->currentTopic(), QStringLiteral("index.html"));
    auto* page = help->findChild<QTextBrowser*>(QStringLiteral("helpPage"));
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("Язык запросов")));

    // A link of the page, followed from the keyboard; the list follows it.
    auto* topics = help->findChild<QListWidget*>(QStringLiteral("helpTopics"));
    ASSERT_NE(topics, nullptr);
    page->setFocus();
    QTest::keyClick(page, Qt::Key_Tab);
    QTest::keyClick(page, Qt::Key_Return);
    EXPECT_EQ(help->currentTopic(), QStringLiteral("start.html"));
    ASSERT_NE(topics->currentItem(), nullptr);
    EXPECT_EQ(topics->currentItem()->text().toStdString(), "Запуск программы");

    // A topic from the list, then back and forward.
    const QList<QListWidgetItem*> query =
        topics->findItems(QStringLiteral("Язык запросов"), Qt::MatchExactly);
    ASSERT_EQ(query.size(), 1);
    QTest::mouseClick(topics->viewport(), Qt::LeftButton, {},
                      topics->visualItemRect(query[0]).center());
    EXPECT_EQ(help->currentTopic(), QStringLiteral("query.html"));
    EXPECT_TRUE(page->toPlainText().contains(QStringLiteral("Ив?нов")));
    QPushButton* back = buttonOf(help, QStringLiteral("< Назад"));
    QPushButton* forward = buttonOf(help, QStringLiteral("Вперед >"));
    ASSERT_TRUE(back && forward);
    EXPECT_FALSE(forward->isEnabled());
    QTest::mouseClick(back, Qt::LeftButton);
    EXPECT_EQ(help->currentTopic(), QStringLiteral("start.html"));
    EXPECT_EQ(topics->currentItem()->text().toStdString(), "Запуск программы");
    QTest::mouseClick(forward, Qt::LeftButton);
    EXPECT_EQ(help->currentTopic(), QStringLiteral("query.html"));

    // The menu's "Помощь" reuses the same window, back at the contents; a page
    // that does not exist shows the contents, and no message box comes up.
    frame.runCommand(9);
    EXPECT_EQ(frame.findChildren<HelpWindow*>().size(), 1);
    EXPECT_EQ(help->currentTopic(), QStringLiteral("index.html"));
    help->showTopic(QStringLiteral("no-such-page.html"));
    EXPECT_EQ(help->currentTopic(), QStringLiteral("index.html"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<QMessageBox*>(w) != nullptr && w->isVisible());
}

TEST(HelpWindow, EscapeClosesIt) {
    test::TempDir dir;
    test::ConfigHome home(dir.file("config"));
    HelpWindow help;
    help.show();
    help.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&help));
    QTest::keyClick(&help, Qt::Key_Escape);
    EXPECT_FALSE(help.isVisible());
}

} // namespace
} // namespace talsk
