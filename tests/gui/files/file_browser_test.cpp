// The file browser "Просмотр файлов": its panel follows the selection; its
// columns read in Russian, whole.

#include "app/qt_texts.h"
#include "gui/files/file_browser.h"

#include "gui/support/modal.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QAbstractItemView>
#include <QRegularExpression>
#include <QTranslator>
#include <QTreeView>

#include <gtest/gtest.h>

namespace talsk::test {
namespace {

TEST(FileBrowser, PanelShowsTheSelectedFileAndClearsForOthers) {
    TempDir dir;
    RecordGenerator gen{7};
    writeBytes(dir.file("a.btn"), savedBytes(randomContent(gen, 3, 0, 2), "key"));
    writeBytes(dir.file("b.btn"), {'t', 'e', 'x', 't'});
    FileBrowser browser(nullptr, QString::fromStdString(dir.path()));
    EXPECT_EQ(browser.nameFilters(), QStringList{"Base telephone number *.btn"});
    browser.show();

    // Keys move the current file in the view, as a click does.
    auto* view = browser.findChild<QAbstractItemView*>("treeView");
    ASSERT_NE(view, nullptr);
    auto fileRow = [&](const char* name) {
        QModelIndex found;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const QModelIndexList hits = view->model()->match(
                view->model()->index(0, 0, view->rootIndex()), Qt::DisplayRole, name);
            if (!hits.isEmpty()) found = hits.first();
            return found.isValid();
        }));
        return found;
    };
    view->setCurrentIndex(fileRow("a.btn"));
    EXPECT_EQ(labelText(&browser, "populationCount"), "3");
    EXPECT_EQ(labelText(&browser, "organizationsCount"), "-");
    EXPECT_EQ(labelText(&browser, "cityCodesCount"), "2");
    EXPECT_EQ(labelText(&browser, "keyNotice"), "Требуется ключ");
    EXPECT_EQ(labelText(&browser, "version"), "Версия 2.0");

    // Not a base file: cleared, but its version word is named.
    view->setCurrentIndex(fileRow("b.btn"));
    EXPECT_EQ(labelText(&browser, "populationCount"), "-");
    EXPECT_EQ(labelText(&browser, "keyNotice"), "");
    EXPECT_EQ(labelText(&browser, "version"), "Неверный формат");
}

TEST(FileBrowser, SizeTypeAndDateReadInRussianAndWhole) {
    const QLocale before;
    QTranslator translator;
    ASSERT_TRUE(installQtTexts(*qApp, translator)) << "qt6-translations-l10n is not installed";
    TempDir dir;
    const std::pair<int, const char*> files[] = {{118, "118 байт"}, {120000, "117,19 кБ"}};
    for (const auto& [bytes, size] : files)
        writeBytes(dir.file(std::to_string(bytes) + ".btn"), std::vector<uint8_t>(bytes, 'x'));
    FileBrowser browser(nullptr, QString::fromStdString(dir.path()));
    browser.show();
    auto* view = browser.findChild<QTreeView*>("treeView");
    ASSERT_NE(view, nullptr);
    for (const auto& [bytes, size] : files) {
        QModelIndexList row;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            row = view->model()->match(view->model()->index(0, 0, view->rootIndex()),
                                       Qt::DisplayRole, QString("%1.btn").arg(bytes));
            return !row.isEmpty();
        }));
        EXPECT_EQ(row[0].siblingAtColumn(1).data().toString().toStdString(), size);
        for (int column : {1, 2, 3}) { // size, type, date: no English, not cut to "118...tes"
            const QString text = row[0].siblingAtColumn(column).data().toString();
            EXPECT_FALSE(text.contains(QRegularExpression("[A-Za-z]"))) << text.toStdString();
            EXPECT_TRUE(QTest::qWaitFor([&] {
                return view->columnWidth(column) > view->fontMetrics().horizontalAdvance(text);
            })) << text.toStdString();
        }
    }
    QCoreApplication::removeTranslator(&translator);
    QLocale::setDefault(before);
}

} // namespace
} // namespace talsk::test
