#include "gui/search/nothing_found_dialog.h"
#include "gui/search/search_area_dialog.h"
#include "gui/support/modal.h"
#include "platform/cp1251.h"

#include <QCheckBox>
#include <QListWidget>

namespace talsk {
namespace {

using test::button;
using test::labelText;
using test::whenModal;

// Unticking and ticking files changes their mask bytes on OK only; a base
// beyond the listed ones keeps its byte.
TEST(SearchAreaDialog, FilesModeWritesTheMaskOnOk) {
    BaseSet set;
    set.bases.resize(3);
    set.bases[0].path = "a.btn";
    set.bases[1].path = "b.btn";
    set.bases[2].path = "c.btn";
    FileMask mask{};
    mask[0] = 1;
    mask[2] = 1;
    mask[5] = 1;
    const FileMask before = mask;

    for (const char* press : {"Отмена", "OK"}) {
        whenModal<QDialog>([press](QDialog* d) {
            EXPECT_EQ(labelText(d, "header"), QStringLiteral("Укажите файлы для поиска:"));
            auto* list = d->findChild<QListWidget*>();
            ASSERT_EQ(list->count(), 3);
            EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
            EXPECT_EQ(list->item(1)->checkState(), Qt::Unchecked);
            QTest::keyClick(list, Qt::Key_Space); // untick a.btn
            list->setCurrentRow(1);
            QTest::keyClick(list, Qt::Key_Space); // tick b.btn
            QTest::mouseClick(button(d, QString::fromUtf8(press)), Qt::LeftButton);
        });
        const bool ok = runSearchAreaFilesDialog(nullptr, set, mask);
        EXPECT_EQ(ok, std::string(press) == "OK");
        if (!ok) {
            EXPECT_EQ(mask, before);
        }
    }
    EXPECT_EQ(mask[0], 0);
    EXPECT_EQ(mask[1], 1);
    EXPECT_EQ(mask[2], 1);
    EXPECT_EQ(mask[5], 1);
}

TEST(NothingFoundDialog, TickedBoxTurnsTheMessageOff) {
    for (bool tick : {false, true}) {
        ProgramSettings settings;
        settings.notFoundMessage = 1;
        settings.notFoundClearTable = 1;
        whenModal<QDialog>([tick](QDialog* d) {
            auto* box = d->findChild<QCheckBox*>("dontShow");
            EXPECT_FALSE(box->isChecked());
            EXPECT_EQ(d->findChild<QListWidget*>("similar"), nullptr);
            if (tick) QTest::mouseClick(box, Qt::LeftButton);
            QTest::mouseClick(button(d, QStringLiteral("OK")), Qt::LeftButton);
        });
        EXPECT_EQ(runNothingFoundDialog(nullptr, settings), -1);
        EXPECT_EQ(settings.notFoundMessage, tick ? 0 : 1);
        EXPECT_EQ(settings.notFoundClearTable, 1);
    }
}

TEST(NothingFoundDialog, ClickOrEnterOnASimilarNameChoosesIt) {
    const std::vector<SimilarName> names = {{utf8ToCp1251("Фёдоров"), 3},
                                            {utf8ToCp1251("Федотов"), 2}};
    for (const bool enter : {false, true}) {
        ProgramSettings settings;
        settings.notFoundMessage = 1;
        whenModal<QDialog>([enter](QDialog* d) {
            auto* list = d->findChild<QListWidget*>("similar");
            ASSERT_NE(list, nullptr);
            ASSERT_EQ(list->count(), 2);
            EXPECT_EQ(list->item(0)->text(), QStringLiteral("Фёдоров (3)"));
            EXPECT_EQ(list->item(1)->text(), QStringLiteral("Федотов (2)"));
            if (enter) {
                list->setFocus();
                list->setCurrentRow(1);
                QTest::keyClick(list, Qt::Key_Return);
            } else {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualItemRect(list->item(1)).center());
            }
        });
        EXPECT_EQ(runNothingFoundDialog(nullptr, settings, names), 1) << enter;
        EXPECT_EQ(settings.notFoundMessage, 1);
    }
}

} // namespace
} // namespace talsk
