// The file browser "Просмотр файлов": its panel follows the selection.

#include "base/dialogs/file_browser.h"

#include "dialogs/modal.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QAbstractItemView>

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
    EXPECT_EQ(labelText(&browser, "id1053"), "3");
    EXPECT_EQ(labelText(&browser, "id1054"), "-");
    EXPECT_EQ(labelText(&browser, "id1085"), "2");
    EXPECT_EQ(labelText(&browser, "id1220"), "Требуется ключ");
    EXPECT_EQ(labelText(&browser, "id1005"), "Версия 2.0");

    // Not a base file: cleared, but its version word is named.
    view->setCurrentIndex(fileRow("b.btn"));
    EXPECT_EQ(labelText(&browser, "id1053"), "-");
    EXPECT_EQ(labelText(&browser, "id1220"), "");
    EXPECT_EQ(labelText(&browser, "id1005"), "Неверный формат");
}

} // namespace
} // namespace talsk::test
