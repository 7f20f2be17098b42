// What a screen reader gets from the windows: every control it can reach has
// a name, and the results are a table whose rows, cells and focus follow the
// search and the keys.

#include "base/records.h"
#include "gui/editor/record_editor.h"
#include "gui/files/connected_files_dialog.h"
#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"
#include "gui/search/search_log_dialog.h"
#include "gui/support/accessibility_on.h"
#include "gui/support/demo_folder.h"
#include "gui/widgets/image_button.h"
#include "gui/widgets/text.h"
#include "platform/cp1251.h"
#include "support/temp_dir.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace talsk {
namespace {

const std::set<QAccessible::Role> kInteractive = {
    QAccessible::Button,   QAccessible::ButtonMenu,  QAccessible::ButtonDropDown,
    QAccessible::CheckBox, QAccessible::RadioButton, QAccessible::EditableText,
    QAccessible::ComboBox, QAccessible::List,        QAccessible::Slider,
    QAccessible::SpinBox,  QAccessible::Table};

struct Walk {
    QStringList nameless; // role and object name of each
    int tables = 0;
    int lists = 0;
};

// Shown and enabled controls only; the rows of tables and lists are theirs.
void walk(QAccessibleInterface* iface, Walk& out, int depth = 0) {
    if (iface == nullptr || depth > 40) return;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        if (child == nullptr) continue;
        const QAccessible::State st = child->state();
        if (st.invisible || st.disabled) continue;
        const QAccessible::Role role = child->role();
        if (kInteractive.count(role) && child->text(QAccessible::Name).trimmed().isEmpty())
            out.nameless << QString("role %1 %2")
                                .arg(role)
                                .arg(child->object() ? child->object()->objectName() : QString());
        out.tables += role == QAccessible::Table;
        out.lists += role == QAccessible::List;
        if (role != QAccessible::Table && role != QAccessible::List) walk(child, out, depth + 1);
    }
}

// The events the grid sends while a test listens.
std::vector<std::pair<QAccessible::Event, int>> gridEvents;
QObject* listenedGrid = nullptr;

void recordEvent(QAccessibleEvent* event) {
    if (event->object() == listenedGrid) gridEvents.emplace_back(event->type(), event->child());
}

bool received(QAccessible::Event type, int child = -1) {
    for (const auto& [t, c] : gridEvents)
        if (t == type && (child < 0 || c == child)) return true;
    return false;
}

// The name changes a counter tells while a test listens.
int counterNameChanges = 0;
QObject* listenedCounter = nullptr;

void recordCounterEvent(QAccessibleEvent* event) {
    if (event->object() == listenedCounter && event->type() == QAccessible::NameChanged)
        ++counterNameChanges;
}

class AccessibilityTest : public testing::Test {
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

    test::TempDir dir;
    ProgramSettings settings;
};

TEST_F(AccessibilityTest, EveryControlAScreenReaderReachesHasAName) {
    auto frame = openFrame();
    struct Case {
        const char* window;
        std::function<std::unique_ptr<QWidget>()> open; // null: the main window
        int tables;
        int leastLists;
    };
    const Case cases[] = {
        {"main window", nullptr, 1, 0},
        {"record editor",
         [&] {
             return std::make_unique<RecordEditor>(
                 frame->session(), settings,
                 EditorStart{{0, 0, TableKind::Population}, std::nullopt}, frame.get());
         },
         0, 0},
        {"connected files",
         [&] { return std::make_unique<ConnectedFilesDialog>(frame->baseSet(), settings); }, 0, 2},
        {"search log",
         [&] {
             return std::make_unique<SearchLogDialog>(frame.get(), frame->searchLog(), settings, 0);
         },
         1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        std::unique_ptr<QWidget> window = c.open ? c.open() : nullptr;
        QWidget* shown = window ? window.get() : frame.get();
        shown->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
        Walk w;
        walk(QAccessible::queryAccessibleInterface(shown), w);
        EXPECT_TRUE(w.nameless.isEmpty()) << w.nameless.join(", ").toStdString();
        EXPECT_EQ(w.tables, c.tables);
        EXPECT_GE(w.lists, c.leastLists);
    }
    // Inputs take their labels' words, without the colon and the comma.
    const FieldSearchPanel& panel = *frame->fieldPanel();
    EXPECT_EQ(panel.input(kFocusStreet)->accessibleName(), QString("Улица"));
    EXPECT_EQ(panel.input(kFocusApartment)->accessibleName(), QString("Квартира"));
    // A counter says what it counts before the count.
    auto* total = panel.findChild<QLabel*>("populationTotal");
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(total)->text(QAccessible::Name),
              "Население, Всего: " + total->text());
}

TEST_F(AccessibilityTest, ResultsAreATableThatFollowsTheSearchAndTheKeys) {
    auto frame = openFrame();
    ResultsTable& results = frame->results();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&results);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    EXPECT_EQ(table->role(), QAccessible::Table);
    EXPECT_EQ(table->text(QAccessible::Name), QString("Результаты поиска"));
    listenedGrid = &results;
    gridEvents.clear();
    const test::AccessibilityOn listening(recordEvent);

    // The search runs from its picture button, pressed as a screen reader does.
    QLineEdit* surname = frame->fieldPanel()->input(kFocusSurname);
    surname->setText(QString("Иванов"));
    auto* search = frame->fieldPanel()->findChild<ImageButton*>("button105");
    ASSERT_NE(search, nullptr);
    QAccessibleInterface* button = QAccessible::queryAccessibleInterface(search);
    EXPECT_EQ(button->role(), QAccessible::Button);
    // Its caption names it; in a column the panel shows the picture alone and
    // the tool tip names it.
    EXPECT_EQ(button->text(QAccessible::Name),
              search->caption().isEmpty() ? QString("Поиск - Enter") : QString("Поиск"));
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    const int hits = results.rowCount();
    ASSERT_GT(hits, 2);
    EXPECT_TRUE(received(QAccessible::TableModelChanged));

    QAccessibleTableInterface* grid = table->tableInterface();
    EXPECT_EQ(grid->rowCount(), hits);
    EXPECT_EQ(grid->columnCount(), 5);
    const char* titles[] = {"Телефон", "Фамилия / Должность", "Адрес", "Организация",
                            "Комментарий"};
    for (int c = 0; c < 5; ++c) {
        QAccessibleInterface* header = table->child(c);
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(header->text(QAccessible::Name), QString::fromUtf8(titles[c]));
    }
    // Cells read as the record's fields are shown: number, name, address.
    for (const int row : {0, hits / 2, hits - 1}) {
        SCOPED_TRACE(row);
        const SearchHit hit = results.hitAt(row);
        const BaseTable& t = frame->baseSet().bases[size_t(hit.base)].table(hit.table);
        const FieldPointers fields = fieldPointers(t, hit.record);
        EXPECT_EQ(grid->cellAt(row, 0)->text(QAccessible::Name), fromCp1251(fields[1]));
        EXPECT_EQ(grid->cellAt(row, 1)->text(QAccessible::Name), fromCp1251(fields[2]));
        EXPECT_EQ(grid->cellAt(row, 2)->text(QAccessible::Name),
                  fromCp1251(PhoneGridModel::addressText(fields[3])));
        EXPECT_EQ(grid->cellAt(row, 0)->tableCellInterface()->rowIndex(), row);
    }

    // Coming in from the keyboard, the first row is current and focused;
    // Down and End move the focused cell and tell the screen reader so.
    results.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.hasFocus(); }));
    const struct {
        Qt::Key key;
        int row;
    } moves[] = {{Qt::Key_unknown, 0}, {Qt::Key_Down, 1}, {Qt::Key_End, hits - 1}};
    for (const auto& m : moves) {
        SCOPED_TRACE(m.row);
        gridEvents.clear();
        if (m.key != Qt::Key_unknown) QTest::keyClick(&results, m.key);
        QApplication::processEvents();
        QAccessibleInterface* focused = table->focusChild();
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused->state().focused);
        EXPECT_EQ(focused->tableCellInterface()->rowIndex(), m.row);
        EXPECT_TRUE(focused->tableCellInterface()->isSelected());
        EXPECT_TRUE(received(QAccessible::Focus, table->indexOfChild(focused)));
    }
    EXPECT_EQ(grid->selectedRows(), QList<int>{hits - 1});
}

// A found counter that is emptied (its hits gone stale) tells the screen
// reader so, as one that is set does.
TEST_F(AccessibilityTest, FoundCounterTellsBeingEmptiedAsBeingSet) {
    auto frame = openFrame();
    FieldSearchPanel& panel = *frame->fieldPanel();
    auto* counter = panel.findChild<QLabel*>("populationFound");
    ASSERT_NE(counter, nullptr);
    panel.input(kFocusSurname)->setText(QString("Иванов"));
    listenedCounter = counter;
    const test::AccessibilityOn listening(recordCounterEvent);
    const struct {
        const char* step;
        void (FieldSearchPanel::*act)();
        bool empty;
    } steps[] = {{"set", &FieldSearchPanel::showFoundCounters, false},
                 {"emptied", &FieldSearchPanel::clearFoundCounters, true},
                 {"set again", &FieldSearchPanel::showFoundCounters, false}};
    panel.fieldSearchNow(false);
    panel.clearFoundCounters();
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        counterNameChanges = 0;
        (panel.*s.act)();
        EXPECT_EQ(counter->text().isEmpty(), s.empty);
        EXPECT_EQ(counterNameChanges, 1);
    }
}

} // namespace
} // namespace talsk
