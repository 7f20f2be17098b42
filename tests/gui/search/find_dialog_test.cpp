// The find tool hosted by the record editor, driven as a user would.

#include "gui/editor/record_editor.h"
#include "gui/search/find_dialog.h"
#include "gui/search/find_steps.h"

#include "gui/support/modal.h"
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

// Population hits at 3, 12 and 40 of base 0, at 5 and 20 of base 1, at 30 of base 2.
SearchResults stepHits() {
    SearchResults r;
    for (auto [record, base] : {std::pair{3, 0}, {12, 0}, {40, 0}, {5, 1}, {20, 1}, {30, 2}})
        r.hits.push_back({record, int16_t(base), TableKind::Population});
    r.populationHits = int32_t(r.hits.size());
    return r;
}

TEST(FindSteps, StartsAtTheShownRecordAndWalksOnToOtherFilesWithItsBound) {
    const SearchResults hits = stepHits();
    struct Case {
        SearchHit at;
        bool up, allFiles;
        int32_t expected;
    } cases[] = {
        {{10, 0, TableKind::Population}, true, false, 1},  // 12
        {{10, 0, TableKind::Population}, false, false, 0}, // 3
        {{12, 0, TableKind::Population}, true, false, 1},  // the shown record itself
        {{41, 0, TableKind::Population}, true, false, 0},  // none: the first hit
        {{1, 0, TableKind::Population}, false, false, 5},  // none: the last hit
        {{41, 0, TableKind::Population}, true, true, 0},   // no base qualifies
        {{21, 1, TableKind::Population}, true, true, 5},   // base 2 at 30
        {{31, 1, TableKind::Population}, true, true, 0},   // base 2 too low as well
        {{4, 1, TableKind::Population}, false, true, 0},   // base 0 at 3
        {{10, 0, TableKind::Organizations}, true, false, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findStartIndex(hits, c.at, c.up, c.allFiles, 3), c.expected)
            << c.at.record << " " << c.at.base << " up " << c.up << " all " << c.allFiles;
    EXPECT_EQ(nextFindPosition(2, true, 3), 0);
    EXPECT_EQ(nextFindPosition(0, false, 3), 2);
    EXPECT_EQ(findTableMask(TableKind::CityCodes, true), kMaskCityCodes);
    EXPECT_EQ(findTableMask(TableKind::Organizations, false), kMaskOrganizations);
}

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
    SearchSession search{set};
    ProgramSettings settings;
    set.bases.emplace_back().path = dir.file("a.btn");
    ASSERT_TRUE(openBase(set.bases.back(), nullptr));
    recountTotals(set);

    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
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
    find->findChild<QComboBox*>("fieldList")->setCurrentIndex(1);
    whenModal<QDialog>([](QDialog* area) {
        auto* list = area->findChild<QListWidget*>();
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 7);
        for (int row = 0; row < list->count(); ++row)
            list->item(row)->setCheckState(list->item(row)->text() == "Фамилия" ? Qt::Checked
                                                                                : Qt::Unchecked);
        area->accept();
    });
    Q_EMIT find->findChild<QComboBox*>("fieldList")->activated(1);

    typeText(find->findChild<QComboBox*>("text")->lineEdit(), "ivan");
    QPushButton* go = button(find, "Найти");
    ASSERT_NE(go, nullptr);
    QTest::mouseClick(go, Qt::LeftButton);
    EXPECT_EQ(find->findChild<QLabel*>("found")->text(), "Найдено записей - 3");
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
