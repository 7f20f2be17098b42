#include "gui/search/search_log_dialog.h"
#include "gui/search/search_log_view.h"
#include "gui/support/modal.h"
#include "gui/widgets/phone_grid.h"
#include "gui/widgets/text.h"
#include "platform/cp1251.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRadioButton>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

LogStamp fixedClock() {
    LogStamp s;
    s.year = 2001;
    s.month = 2;
    s.day = 3;
    s.weekday = 6;
    s.hour = 9;
    s.minute = 5;
    return s;
}

class SearchLogDialogTest : public ::testing::Test {
protected:
    SearchLog log;
    ProgramSettings settings;

    void SetUp() override {
        setLogClock(&fixedClock);
        ASSERT_TRUE(resizeLog(log, 10));
        add({{2, "Иванов"}, {3, "Ленина"}, {4, "5"}, {5, "12"}}, 4);
        add({{2, "Петров"}, {3, "Мира"}}, 7);
        add({{1, "123"}}, 1);
    }
    void TearDown() override { setLogClock(nullptr); }

    void add(std::initializer_list<std::pair<int, const char*>> fields, int hits) {
        FieldQueryText q;
        for (const auto& [k, text] : fields)
            q.set(k, utf8ToCp1251(text).c_str());
        addLogEntry(log, q, hits);
    }
};

void clickRow(CPhoneGrid* grid, int row, Qt::KeyboardModifiers modifiers = {}) {
    const PhoneGridModel& m = grid->model();
    const QPoint at(m.columnLeft(1) + 4, (row - m.firstRow()) * m.rowHeight() + m.rowHeight() / 2);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, at);
}

QString cellText(const CPhoneGrid* grid, int row, int column) {
    const char* cell = grid->model().cell(row, column);
    return fromCp1251(column == PhoneGridModel::kAddressColumn ? PhoneGridModel::addressText(cell)
                                                               : std::string(cell));
}

// What the user reads for one entry and for several, and the joined query
// that "Поиск" hands on.
TEST_F(SearchLogDialogTest, ShowsEntriesAndJoinsTheChosenOnes) {
    SearchLogChoice choice;
    whenModal<SearchLogDialog>([](SearchLogDialog* d) {
        auto* grid = d->findChild<CPhoneGrid*>();
        ASSERT_NE(grid, nullptr);
        ASSERT_EQ(grid->model().rowCount(), 3);
        EXPECT_EQ(cellText(grid, 0, 2), QStringLiteral("Ленина  5 - 12"));
        EXPECT_EQ(cellText(grid, 1, 1), QStringLiteral("Петров"));
        EXPECT_EQ(cellText(grid, 2, 0), QStringLiteral("123"));
        EXPECT_EQ(labelText(d, "position"), QStringLiteral("2 / 3"));
        EXPECT_EQ(labelText(d, "stamp"),
                  QStringLiteral("9:05      3.02.2001  -  Суббота      Было найдено записей - 7"));
        auto* andJoin = d->findChild<QRadioButton*>("andJoin");
        EXPECT_FALSE(andJoin->isEnabled());

        clickRow(grid, 0);
        clickRow(grid, 1, Qt::ControlModifier);
        EXPECT_EQ(labelText(d, "position"), QStringLiteral("1-2 / 3"));
        EXPECT_EQ(labelText(d, "stamp"), QString());
        ASSERT_TRUE(andJoin->isEnabled());
        QTest::mouseClick(andJoin, Qt::LeftButton, {}, QPoint(6, andJoin->height() / 2));
        QTest::mouseClick(button(d, QStringLiteral("Поиск")), Qt::LeftButton);
    });
    EXPECT_EQ(runSearchLogDialog(nullptr, log, settings, 1, &choice), 0);
    EXPECT_TRUE(choice.search);
    EXPECT_EQ(cp1251ToUtf8(choice.query.slot(2)), "Иванов&Петров");
    EXPECT_EQ(cp1251ToUtf8(choice.query.slot(3)), "Ленина&Мира");
    EXPECT_EQ(cp1251ToUtf8(choice.query.slot(4)), "5");
    EXPECT_GT(settings.searchLogRect.right, settings.searchLogRect.left);
}

// The dialog reopens where it was; "Очистить" asks, empties the log and
// turns itself off; "Выход" chooses nothing.
TEST_F(SearchLogDialogTest, ReopensInPlaceAndClearsOnYes) {
    settings.searchLogRect = SettingsRect{40, 30, 640, 330};
    whenModal<SearchLogDialog>([](SearchLogDialog* d) {
        EXPECT_EQ(d->geometry(), QRect(40, 30, 600, 300));
        EXPECT_EQ(labelText(d, "position"), QStringLiteral("3 / 3")); // position 0: the newest
        QTest::keyClick(d->findChild<CPhoneGrid*>(), Qt::Key_Up);     // the grid's own keys
        EXPECT_EQ(labelText(d, "position"), QStringLiteral("2 / 3"));
        QPushButton* clear = d->findChild<QPushButton*>("clear");
        whenModal<QMessageBox>([](QMessageBox* box) {
            EXPECT_EQ(box->text(), QStringLiteral("Очистить журнал поиска"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Подтверждение"));
            box->button(QMessageBox::Yes)->click();
        });
        QTest::mouseClick(clear, Qt::LeftButton);
        EXPECT_EQ(d->findChild<CPhoneGrid*>()->model().rowCount(), 0);
        EXPECT_FALSE(clear->isEnabled());
        EXPECT_EQ(labelText(d, "position"), QString());
        QTest::mouseClick(button(d, QStringLiteral("Выход")), Qt::LeftButton);
    });
    EXPECT_EQ(runSearchLogDialog(nullptr, log, settings, 0), -1);
    EXPECT_EQ(log.count, 0);
}

// A remembered place counts while some of it lies on the screen.
TEST(SearchLogView, RememberedPlaceOnTheScreen) {
    struct {
        SettingsRect rect;
        bool usable;
    } const places[] = {{{0, 0, 0, 0}, false},
                        {{10, 10, 400, 300}, true},
                        {{1024, 10, 1400, 300}, false},
                        {{-500, -200, 20, 10}, true},
                        {{-500, 10, -20, 300}, false}};
    for (const auto& p : places)
        EXPECT_EQ(usableLogRect(p.rect, 1024, 768), p.usable) << p.rect.left << "," << p.rect.top;
}

// Ctrl+C in the log's grid copies the chosen entries' fields as shown.
TEST_F(SearchLogDialogTest, CopyKeysPutTheChosenEntriesOnTheClipboard) {
    QGuiApplication::clipboard()->clear();
    whenModal<SearchLogDialog>([](SearchLogDialog* d) {
        auto* grid = d->findChild<CPhoneGrid*>();
        ASSERT_NE(grid, nullptr);
        grid->setFocus();
        clickRow(grid, 0);
        clickRow(grid, 1, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
        QTest::mouseClick(button(d, QStringLiteral("Выход")), Qt::LeftButton);
    });
    EXPECT_EQ(runSearchLogDialog(nullptr, log, settings, 1), -1);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("\tИванов\tЛенина  5 - 12\t\t\n\tПетров\tМира\t\t\n"));
}

} // namespace
} // namespace talsk
