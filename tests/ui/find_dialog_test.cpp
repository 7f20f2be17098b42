// The find tool hosted by the record editor, driven as a user would.

#include "edit/dialogs/record_editor.h"
#include "search/dialogs/find_dialog.h"

#include "dialogs/modal.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

using namespace talsk;
using namespace talsk::test;

namespace {

TEST(FindInEditor, FindShowsTheFirstHitFromTheShownRecordThenStepsAndWraps) {
    TempDir dir;
    BaseContent content;
    content.tables[0] = {{"100", "Ivanov", "Lenina", "", "", "", ""},
                         {"101", "Petrov", "Mira", "", "", "", ""},
                         {"102", "Ivanova", "Sadovaya", "", "", "", ""},
                         {"103", "Sidorov", "Ivanovskaya", "", "", "", ""},
                         {"104", "Ivanenko", "Lesnaya", "", "", "", ""}};
    PhoneBase base;
    base.path = dir.file("a.btn");
    fillBase(base, content, "");
    ASSERT_TRUE(saveBase(base, kMaskAllTables));
    closeBase(base);
    BaseSet set;
    ProgramSettings settings;
    set.bases.emplace_back().path = dir.file("a.btn");
    ASSERT_TRUE(openBase(set.bases.back(), nullptr));
    recountTotals(set);

    RecordEditor editor(set, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    auto* name = editor.findChild<QLineEdit*>("field2");
    ASSERT_NE(name, nullptr);
    QPushButton* open = button(&editor, "Найти");
    ASSERT_TRUE(open != nullptr && open->isEnabled());
    QTest::mouseClick(open, Qt::LeftButton);
    auto* find = editor.findChild<FindDialog*>();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_FALSE(open->isEnabled()); // one find dialog at a time

    // Only the name is searched: record 3's street "Ivanovskaya" is no hit.
    find->findChild<QComboBox*>("id1092")->setCurrentIndex(1);
    whenModal<QDialog>([](QDialog* area) {
        auto* list = area->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 7);
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setCheckState(list->item(row)->text() == "Фамилия" ? Qt::Checked
                                                                                : Qt::Unchecked);
        area->accept();
    });
    Q_EMIT find->findChild<QComboBox*>("id1092")->activated(1);

    typeText(find->findChild<QComboBox*>("id1094")->lineEdit(), "ivan");
    QPushButton* go = button(find, "Найти");
    ASSERT_NE(go, nullptr);
    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(find->findChild<QLabel*>("id1062")->text(), "Найдено записей - 3");
    EXPECT_EQ(go->text(), "Следующая");
    EXPECT_EQ(name->text(), "Ivanova"); // the first hit at or after the shown record

    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(name->text(), "Ivanenko");
    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(name->text(), "Ivanov"); // wrapped around

    find->reject(); // "Отмена"
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(editor.findChild<FindDialog*>(), nullptr);
    EXPECT_TRUE(open->isEnabled());
}

} // namespace
