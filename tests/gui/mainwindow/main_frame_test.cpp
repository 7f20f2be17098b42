// The main window on a program folder with demo files, driven by keys as a
// user would; and a second start that brings the first to the front.

#include "app/single_instance.h"
#include "base/base_file.h"
#include "base/settings.h"
#include "gui/editor/record_editor.h"
#include "gui/files/connected_files_dialog.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/search/search_log_dialog.h"
#include "gui/support/config_home.h"
#include "gui/support/demo_folder.h"
#include "gui/support/modal.h"
#include "gui/widgets/stock_font.h"
#include "platform/cp1251.h"
#include "search/search_engine.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace talsk {
namespace {

class MainFrameTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::makeDemoFolder(dir, settings, 3000, 400, 40)); }

    std::unique_ptr<CMainFrame> openFrame() {
        auto frame = std::make_unique<CMainFrame>(settings);
        frame->show();
        frame->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        frame->loadFiles();
        return frame;
    }

    // What a search of the surname alone finds, counted apart from the window.
    static int32_t expectedHits(CMainFrame& frame, const char* surname) {
        FieldQueryText q;
        q.set(int(RecordField::Name), surname);
        SearchState out;
        SearchRun run = foregroundRun(frame.baseSet(), out, &frame.settings());
        run.tables = kMaskPopulationOrganizations;
        run.fileMask = frame.fileMaskFromBar();
        run.out = &out;
        return runFieldSearch(q, run);
    }

    test::TempDir dir;
    test::ConfigHome home{dir.file("config")};
    ProgramSettings settings;
};

TEST_F(MainFrameTest, TypingCountsInTheBackgroundAndEnterShowsThoseRows) {
    auto frame = openFrame();
    FieldSearchPanel& panel = *frame->fieldPanel();
    EXPECT_EQ(frame->statusPaneText(3).toStdString(), "Всего записей - 3400");
    QLineEdit* surname = panel.input(2);
    surname->setFocus();
    // Typed on the Latin layout: the keys of «Иванов».
    QTest::keyClicks(surname, "Bdfyjd");
    EXPECT_EQ(surname->text().toStdString(), "Иванов");
    const int32_t expected = expectedHits(*frame, utf8ToCp1251("Иванов").c_str());
    ASSERT_GT(expected, 0);
    // The counters appear after the delay; the table is untouched until Enter.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !panel.foundText(TableKind::Population).isEmpty(); }, 5000));
    const int shownPop = panel.foundText(TableKind::Population).toInt();
    const QString org = panel.foundText(TableKind::Organizations);
    EXPECT_EQ(shownPop + (org == "-" ? 0 : org.toInt()), expected);
    EXPECT_EQ(frame->results().rowCount(), 0);

    QTest::keyClick(surname, Qt::Key_Return);
    EXPECT_EQ(frame->results().rowCount(), expected);
    EXPECT_EQ(frame->statusPaneText(2).toStdString(),
              "Выведено строк - " + std::to_string(expected));
    EXPECT_EQ(frame->searchLog().count, 1);
    EXPECT_EQ(frame->historyPosition(), 1);
}

// The totals come first; the letter-pair filters follow while the window
// waits, never while something holds the searches back to change the bases.
TEST_F(MainFrameTest, PairFiltersFollowTheLoadOnlyWhileNothingHoldsTheSearch) {
    auto frame = openFrame();
    EXPECT_EQ(frame->statusPaneText(3).toStdString(), "Всего записей - 3400");
    auto covered = [&] {
        int tables = 0, built = 0;
        for (const PhoneBase& b : frame->baseSet().bases)
            for (const BaseTable& t : b.tables)
                if (b.connected && t.count > 0) {
                    ++tables;
                    built += t.pairs.covers(t) ? 1 : 0;
                }
        return std::pair{tables, built};
    };
    ASSERT_GT(covered().first, 0);
    EXPECT_EQ(covered().second, 0);
    {
        const SearchPause pause(frame->session());
        QTest::qWait(100);
        EXPECT_EQ(covered().second, 0);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return covered().second == covered().first; }, 5000));
}

// The demo has «Фёдоров» and no «Федоров»: the box offers it, Enter on it
// searches again; "Е и Ё не различать" finds it at once and is kept.
TEST_F(MainFrameTest, NothingFoundOffersSimilarSurnamesAndTheYoOptionIsKept) {
    settings.notFoundMessage = 1;
    const std::string yoName = utf8ToCp1251("Фёдоров");
    {
        auto frame = openFrame();
        QLineEdit* surname = frame->fieldPanel()->input(2);
        surname->setFocus();
        surname->setText(QStringLiteral("Федоров"));
        test::whenModal<QDialog>([](QDialog* d) {
            auto* list = d->findChild<QListWidget*>("similar");
            ASSERT_NE(list, nullptr);
            ASSERT_GT(list->count(), 0);
            EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("Фёдоров (")))
                << list->item(0)->text().toStdString();
            list->setFocus();
            list->setCurrentRow(0);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QTest::keyClick(surname, Qt::Key_Return);
        const int32_t expected = expectedHits(*frame, yoName.c_str());
        ASSERT_GT(expected, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return frame->results().rowCount() == expected; }, 5000));
        EXPECT_EQ(surname->text(), QStringLiteral("Фёдоров"));

        QAction* yo = frame->action(cmd::YoAsYe);
        ASSERT_NE(yo, nullptr);
        ASSERT_TRUE(yo->isCheckable());
        EXPECT_FALSE(yo->isChecked());
        yo->trigger();
        EXPECT_TRUE(yo->isChecked());
        surname->setText(QStringLiteral("Федоров"));
        QTest::keyClick(surname, Qt::Key_Return);
        EXPECT_EQ(frame->results().rowCount(), expected);
    }
    auto again = openFrame();
    EXPECT_EQ(again->settings().yoAsYe, 1);
    EXPECT_TRUE(again->action(cmd::YoAsYe)->isChecked());
}

TEST_F(MainFrameTest, PgDownBringsTheLastLoggedQueryBackAndEscClearsThenMinimizes) {
    auto frame = openFrame();
    FieldSearchPanel& panel = *frame->fieldPanel();
    QLineEdit* surname = panel.input(2);
    QLineEdit* street = panel.input(3);
    surname->setFocus();
    QTest::keyClicks(surname, "Gtnhjd");    // «Петров» on the Latin layout
    QTest::keyClick(surname, Qt::Key_Down); // the street is the next row
    EXPECT_TRUE(street->hasFocus());
    QTest::keyClicks(street, "Kty");
    QTest::keyClick(street, Qt::Key_Return);
    ASSERT_EQ(frame->searchLog().count, 1);

    QTest::keyClick(street, Qt::Key_Escape); // text: the fields are emptied
    EXPECT_TRUE(surname->text().isEmpty());
    EXPECT_TRUE(street->text().isEmpty());
    EXPECT_FALSE(frame->isMinimized());
    QTest::keyClick(frame->fieldPanel()->input(2), Qt::Key_PageDown);
    EXPECT_EQ(surname->text().toStdString(), "Петров");
    EXPECT_EQ(street->text().toStdString(), "Лен");

    QTest::keyClick(surname, Qt::Key_Escape);
    QTest::keyClick(surname, Qt::Key_Escape); // empty panel: the window goes down
    EXPECT_TRUE(frame->windowState() & Qt::WindowMinimized);
}

TEST_F(MainFrameTest, GeneralSearchKeepsItsTextInTheHistoryFileAndCityCodesDisableFields) {
    {
        auto frame = openFrame();
        QComboBox* combo = frame->generalBar()->combo();
        combo->setFocus();
        QTest::keyClicks(combo->lineEdit(), "Bdfyjd");
        QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
        EXPECT_GT(frame->results().rowCount(), 0);
        EXPECT_EQ(frame->generalBar()->foundText().toStdString(),
                  "Найдено - " + std::to_string(frame->results().rowCount()));
        frame->saveState();
    }
    auto frame = openFrame();
    QComboBox* combo = frame->generalBar()->combo();
    ASSERT_EQ(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0).toStdString(), "Иванов");

    QComboBox* tables = frame->findChild<QComboBox*>("areaTables");
    const int city = tables->findText("Коды городов");
    ASSERT_GE(city, 0);
    tables->setCurrentIndex(city);
    Q_EMIT tables->activated(city);
    EXPECT_FALSE(frame->fieldPanel()->input(4)->isEnabled());
    EXPECT_FALSE(frame->fieldPanel()->input(6)->isEnabled());
    EXPECT_EQ(frame->statusPaneText(3).toStdString(), "Всего записей - 40");
    EXPECT_EQ(frame->fieldPanel()->totalText(TableKind::Population).toStdString(), "-");
}

TEST_F(MainFrameTest, PanelPictureButtonsStayLeftOfTheSeparatorAndTheRecordInformation) {
    // The program's own font, whose captions make the buttons wider than
    // their 75 units.
    const QFont before = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans", 9));
    {
        auto frame = openFrame();
        FieldSearchPanel& panel = *frame->fieldPanel();
        panel.setRecordInfo("talsk.btn : 7608 : население");
        const QRect line = panel.findChild<QFrame*>("infoSeparator")->geometry();
        const QRect info = panel.findChild<QLabel*>("recordInfo")->geometry();
        for (int id : {105, 30010, 30034, 32782, 32784}) {
            const QRect button = panel.findChild<QWidget*>(QString("button%1").arg(id))->geometry();
            EXPECT_LT(button.right(), line.left()) << id;
            EXPECT_FALSE(button.intersects(info)) << id;
            EXPECT_GE(button.left(), 0) << id;
        }
    }
    QApplication::setFont(before);
}

TEST_F(MainFrameTest, WindowSavedOnALargerScreenOpensWithinThisOne) {
    const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
    settings.rememberWindowPosition = 1;
    settings.windowPlacement.showCmd = 1;
    settings.windowPlacement.left = avail.left() + 100;
    settings.windowPlacement.top = avail.top() + 100;
    settings.windowPlacement.right = avail.right() + 500;
    settings.windowPlacement.bottom = avail.bottom() + 400;
    auto frame = openFrame();
    // No wider than the window's own minimum allows, and wholly on the screen
    // from top to bottom.
    const QRect g = frame->geometry();
    EXPECT_LE(g.width(), std::max(avail.width() * 9 / 10, frame->minimumSizeHint().width()));
    EXPECT_GE(g.top(), avail.top());
    EXPECT_LE(g.bottom(), avail.bottom());
}

// The history completes nothing into the box: Enter searches what was typed.
TEST_F(MainFrameTest, GeneralSearchRunsTheTypedTextNotAHistoryItemItBegins) {
    auto frame = openFrame();
    QLineEdit* edit = frame->generalBar()->combo()->lineEdit();
    edit->setFocus();
    QTest::keyClicks(edit, "Bdfyjdf"); // «Иванова» on the Latin layout
    QTest::keyClick(edit, Qt::Key_Return);
    const int longer = frame->results().rowCount();
    QTest::keyClick(edit, Qt::Key_Escape);      // the text goes, the history stays
    for (QChar c : QString::fromUtf8("Иван")) { // typed on the Russian layout
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &key);
    }
    EXPECT_EQ(edit->text().toStdString(), "Иван");
    QTest::keyClick(edit, Qt::Key_Return);
    SearchState apart; // over the area of the window's last search
    apart.fileMask = frame->session().state().fileMask;
    apart.tables = frame->session().state().tables;
    EXPECT_EQ(frame->results().rowCount(),
              runGeneralSearch(utf8ToCp1251("Иван").c_str(), frame->baseSet(), apart, nullptr,
                               &frame->settings()));
    EXPECT_GT(frame->results().rowCount(), longer);
}

// Docked at the left, the field panel comes back at the left at every start.
TEST_F(MainFrameTest, FieldPanelDockedLeftStaysLeftOverRestarts) {
    for (int start = 0; start < 4; ++start) {
        auto frame = openFrame();
        auto* dock = frame->findChild<QDockWidget*>("bar32830");
        if (start > 0) {
            EXPECT_EQ(frame->dockWidgetArea(dock), Qt::LeftDockWidgetArea) << start;
            EXPECT_LT(dock->width(), frame->width() / 2) << start; // a column, not a row
        }
        frame->addDockWidget(Qt::LeftDockWidgetArea, dock);
        frame->saveState(); // what closing the window saves
    }
}

// Nothing is cut: field panel labels for every table choice, the status
// panes of a narrow window; the general search stays in it; the results
// table's context menu names the keys as the main menu does.
TEST_F(MainFrameTest, NarrowWindowAndCityCodesCutNoTextAndMenusAgree) {
    auto frame = openFrame();
    QComboBox* tables = frame->findChild<QComboBox*>("areaTables");
    for (int choice = 0; choice < tables->count(); ++choice) {
        tables->setCurrentIndex(choice);
        Q_EMIT tables->activated(choice);
        for (const QLabel* l : frame->fieldPanel()->findChildren<QLabel*>()) {
            if (l->isVisibleTo(frame->fieldPanel()) && !l->wordWrap()) {
                EXPECT_LE(l->sizeHint().width(), l->width()) << l->text().toStdString();
            }
        }
    }
    frame->findChild<QDockWidget*>("bar32830")->hide(); // its row needs a wide window
    // The window narrows once the hidden bar's minimum width has left the layout.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            frame->resize(420, frame->height());
            return frame->width() == 420;
        },
        5000))
        << frame->width();
    QRect previous;
    for (const char* name : {"pane1", "pane2", "pane3"}) {
        const QLabel* l = frame->findChild<QLabel*>(name);
        EXPECT_LE(l->sizeHint().width(), l->width()) << l->text().toStdString();
        EXPECT_FALSE(l->geometry().intersects(previous)) << name;
        previous = l->geometry();
    }
    const QWidget* bar = frame->generalBar();
    EXPECT_TRUE(frame->rect().contains(QRect(bar->mapTo(frame.get(), QPoint()), bar->size())));

    int compared = 0;
    for (const QAction* item : frame->results().actions()) {
        const QString name = item->text().section('\t', 0, 0);
        for (const QAction* menu : frame->actions()) {
            if (menu->text().section('\t', 0, 0) != name) continue;
            const QString keys = menu->text().contains('\t')
                                     ? menu->text().section('\t', 1)
                                     : menu->shortcut().toString(QKeySequence::NativeText);
            EXPECT_EQ(item->text().section('\t', 1).toStdString(), keys.toStdString());
            ++compared;
        }
    }
    EXPECT_GE(compared, 8);
}

TEST(SingleInstance, ASecondStartBringsTheFirstToTheFront) {
    const QString name = QString("talsk-test-%1").arg(QCoreApplication::applicationPid());
    SingleInstance first(name);
    ASSERT_TRUE(first.claim());
    SingleInstance second(name);
    EXPECT_FALSE(second.claim());
    bool activated = false;
    QObject::connect(&first, &SingleInstance::activationRequested, [&] { activated = true; });
    EXPECT_TRUE(second.activateRunning(300));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activated; }, 3000));
}

TEST(SingleInstance, EachDesktopSessionRunsItsOwnCopy) {
#ifdef Q_OS_WIN
    const unsigned uid = 1000; // no user numbers there: any one stands for the user
#else
    const unsigned uid = getuid();
#endif
    // Displays no desktop uses, so a running program cannot interfere.
    const QString x = QString(":%1").arg(QCoreApplication::applicationPid());
    const QString sessions[][3] = {
        {x, "", ""}, {x + "1", "", ""}, {"", "w" + x, ""}, {x, "", "c7"}};
    std::vector<std::unique_ptr<SingleInstance>> held;
    for (const auto& s : sessions) {
        held.push_back(
            std::make_unique<SingleInstance>(SingleInstance::nameFor(uid, s[0], s[1], s[2])));
        EXPECT_TRUE(held.back()->claim()) << (s[0] + s[1] + s[2]).toStdString();
    }
    bool activated = false;
    QObject::connect(held[0].get(), &SingleInstance::activationRequested,
                     [&] { activated = true; });
    // The first X server again, its screen named: that copy comes to the front.
    SingleInstance again(SingleInstance::nameFor(uid, x + ".0", "", ""));
    EXPECT_FALSE(again.claim());
    EXPECT_TRUE(again.activateRunning(300));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activated; }, 3000));
}

// After a field search and after a found record is deleted from its file,
// the panel's per-table counters and the general bar's total count the rows
// the table shows, though the bar searched something else before.
TEST_F(MainFrameTest, FoundCountersAgreeWithTheTableAfterAFieldSearchAndADeletion) {
    auto frame = openFrame();
    FieldSearchPanel& panel = *frame->fieldPanel();
    ResultsTable& results = frame->results();
    results.setMessageBox([](QMessageBox::Icon, const QString&, const QString&,
                             QMessageBox::StandardButtons) { return QMessageBox::Yes; });
    auto panelCount = [&panel] {
        int n = 0;
        for (TableKind k : {TableKind::Population, TableKind::Organizations, TableKind::CityCodes})
            n += panel.foundText(k).toInt(); // "-" reads as 0
        return n;
    };
    auto barCount = [&frame] { return frame->generalBar()->foundText().section(" - ", 1).toInt(); };

    QComboBox* combo = frame->generalBar()->combo();
    combo->setFocus();
    QTest::keyClicks(combo->lineEdit(), "f"); // «а»
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    const int general = results.rowCount();
    QLineEdit* surname = panel.input(kFocusSurname);
    surname->setFocus();
    QTest::keyClicks(surname, "Bdfyjd"); // «Иванов»
    QTest::keyClick(surname, Qt::Key_Return);
    const int found = results.rowCount();
    ASSERT_GT(found, 1);
    ASSERT_NE(found, general);

    const struct {
        const char* step;
        std::function<void()> act;
        int rows;
    } steps[] = {
        {"field search", [] {}, found},
        {"deletion",
         [&results] {
             results.setFocus(Qt::TabFocusReason); // the first row becomes current
             QTest::keyClick(&results, Qt::Key_Delete, Qt::ControlModifier);
         },
         found - 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act();
        EXPECT_EQ(results.rowCount(), s.rows);
        EXPECT_EQ(panelCount(), s.rows);
        EXPECT_EQ(barCount(), s.rows);
    }
}

// Texts cut inside a window: a label narrower than its text, a push button
// narrower than its caption. The status bar's first pane is left out: its
// prompts are cut rather than widen the window.
QStringList cutTexts(const QWidget* window) {
    QStringList cut;
    for (const QLabel* l : window->findChildren<QLabel*>())
        if (l->isVisibleTo(window) && !l->wordWrap() && !l->text().isEmpty() &&
            l->objectName() != "pane0" && l->sizeHint().width() > l->width())
            cut << l->text();
    for (const QPushButton* b : window->findChildren<QPushButton*>())
        if (b->isVisibleTo(window) &&
            b->fontMetrics().horizontalAdvance(b->text().remove('&')) + 8 > b->width())
            cut << b->text();
    return cut;
}

// A desktop font of 16 points: the window with its field panel in a row fits
// a 1024 pixel screen without scrolling the row, and so do the record
// editor and the connected-files dialog; at 420 pixels the window takes its
// width with the panel at the bottom (scrolled) or at the left. Nothing is
// cut.
TEST_F(MainFrameTest, LargeFontAndNarrowWindowCutNoText) {
    const QFont desktop = QApplication::font();
    const struct {
        const char* name;
        int points;
        Qt::DockWidgetArea side;
        int width;
    } cases[] = {{"16 pt, panel at the bottom", 16, Qt::BottomDockWidgetArea, 1024},
                 {"9 pt, 420 px, panel at the bottom", 9, Qt::BottomDockWidgetArea, 420},
                 {"9 pt, 420 px, panel at the left", 9, Qt::LeftDockWidgetArea, 420}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QApplication::setFont(programFont(QFont(QStringLiteral("Sans Serif"), c.points)));
        auto frame = openFrame();
        auto* dock = frame->findChild<QDockWidget*>("bar32830");
        frame->addDockWidget(c.side, dock);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                frame->resize(c.width, frame->height());
                return frame->width() == c.width;
            },
            5000))
            << frame->width();
        QApplication::processEvents();
        const auto* scroller = frame->findChild<QScrollArea*>("fieldPanelScroller");
        if (c.width == 1024) {
            EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
            ConnectedFilesDialog files(frame->baseSet(), settings, frame.get());
            RecordEditor editor(frame->session(), settings,
                                {{0, 0, TableKind::Population}, std::nullopt}, frame.get());
            for (QDialog* d : {static_cast<QDialog*>(&files), static_cast<QDialog*>(&editor)}) {
                d->show();
                QApplication::processEvents();
                EXPECT_LE(d->width(), 1024);
                EXPECT_EQ(cutTexts(d), QStringList()) << d->windowTitle().toStdString();
                d->hide();
            }
        }
        EXPECT_EQ(cutTexts(frame.get()), QStringList());
    }
    QApplication::setFont(desktop);
}

// Pasted tabs and other control characters are searched and kept in the
// history as blanks, as the record editor keeps them.
TEST_F(MainFrameTest, PastedControlCharactersBecomeBlanksInTheSearchInputs) {
    auto frame = openFrame();
    frame->fieldPanel()->input(2)->setText(QString::fromUtf8("Иванов\tИ\x7f"));
    EXPECT_EQ(std::string(frame->fieldPanel()->query().slot(int(RecordField::Name))),
              utf8ToCp1251("Иванов И "));
    QComboBox* combo = frame->generalBar()->combo();
    combo->setFocus();
    combo->lineEdit()->setText(QString::fromUtf8("Иванов\tЛенина"));
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    ASSERT_GE(combo->count(), 1);
    EXPECT_EQ(combo->itemText(0).toStdString(), "Иванов Ленина");
}

// With no place remembered, the search log opens centred over the window,
// though it is opened from the field panel inside it.
TEST_F(MainFrameTest, SearchLogOpensCentredOverTheWindowTheFirstTime) {
    auto frame = openFrame();
    frame->move(300, 200);
    SearchLog log;
    ProgramSettings logSettings = settings;
    logSettings.searchLogRect = SettingsRect{};
    SearchLogDialog dialog(frame->fieldPanel(), log, logSettings, 0);
    EXPECT_LE((dialog.geometry().center() - frame->geometry().center()).manhattanLength(), 2)
        << dialog.geometry().x() << "," << dialog.geometry().y();
}

} // namespace
} // namespace talsk
