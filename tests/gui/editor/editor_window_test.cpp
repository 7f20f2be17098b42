// The record editor's window over two real base files, driven as a user
// would: the find dialog stepping aside for message boxes, deleting, go-to
// mode of the number box, the track bar, and switching kind and file.

#include "gui/editor/new_base_file_dialog.h"
#include "gui/editor/record_editor.h"
#include "gui/search/find_dialog.h"

#include "gui/support/modal.h"
#include "platform/cp1251.h"
#include "support/base_fixtures.h"
#include "support/temp_dir.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QRadioButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <functional>

using namespace talsk;
using namespace talsk::test;

namespace {

const std::vector<RecordTexts> kPeople = {{"101", "Ivanov", "Lenina", "1", "2", "", ""},
                                          {"102", "Petrov", "Mira", "3", "4", "", ""},
                                          {"103", "Sidorov", "Mira", "5", "6", "", ""},
                                          {"104", "Orlov", "Lesnaya", "7", "8", "", ""},
                                          {"105", "Volkov", "Sadovaya", "9", "1", "", ""}};

struct EditorWindow : ::testing::Test {
    TempDir dir;
    BaseSet set;
    SearchSession search{set};
    ProgramSettings settings;

    void SetUp() override {
        settings.saveOnClose = 0;
        settings.confirmSaveRecord = 0;
        settings.checkDuplicatePhone = 0;
        settings.askToSaveChanges = 1;
        BaseContent a;
        a.tables[0] = kPeople;
        a.tables[1] = {{"201", "Director", "Mira", "1", "10", "Zavod", ""}};
        a.tables[2] = {{"8312", "Gorky", "09", "", "", "", ""}};
        BaseContent b;
        b.tables[1] = {{"301", "Buhgalter", "Lenina", "2", "5", "Bank", ""}};
        for (auto [name, content] : {std::pair{"a.btn", &a}, {"b.btn", &b}}) {
            PhoneBase base;
            base.path = dir.file(name);
            fillBase(base, *content, "");
            ASSERT_TRUE(saveBase(base, kMaskAllTables));
            closeBase(base);
            set.bases.emplace_back().path = dir.file(name);
            ASSERT_TRUE(openBase(set.bases.back(), nullptr));
        }
        recountTotals(set);
    }

    std::vector<RecordTexts> peopleOnDisk() {
        PhoneBase base;
        base.path = dir.file("a.btn");
        EXPECT_TRUE(openBase(base, nullptr, {.access = BaseAccess::Reader}));
        return contentOf(base).tables[0];
    }
};

QLineEdit* box(RecordEditor& editor, int slot) {
    return editor.findChild<QLineEdit*>(QStringLiteral("field%1").arg(slot));
}

TEST_F(EditorWindow, FindDialogStepsAsideForEveryBoxAndDeleteReachesTheFile) {
    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    QTest::mouseClick(button(&editor, "Найти"), Qt::LeftButton);
    auto* find = editor.findChild<FindDialog*>();
    ASSERT_TRUE(find != nullptr && find->isVisible());

    struct Step {
        bool typeFirst;
        const char* click;
        const char* question;
        QMessageBox::StandardButton answer;
        size_t recordsOnDisk;
        const char* shownName;
    } steps[] = {
        {false, "Удалить", "Удалить данные ?", QMessageBox::No, 5, "Petrov"},
        {true, ">", "Сохранить внесенные изменения", QMessageBox::Cancel, 5, "Petrovx"},
        {false, "Удалить", "Удалить данные ?", QMessageBox::Yes, 4, "Sidorov"},
    };
    for (const Step& s : steps) {
        if (s.typeFirst) typeText(box(editor, 2), "x");
        bool hiddenWhileAsked = false;
        whenModal<QMessageBox>([&](QMessageBox* question) {
            EXPECT_EQ(question->text(), QString::fromUtf8(s.question));
            hiddenWhileAsked = !find->isVisible();
            question->button(s.answer)->click();
        });
        QTest::mouseClick(button(&editor, s.click), Qt::LeftButton);
        EXPECT_TRUE(hiddenWhileAsked) << s.question;
        EXPECT_TRUE(find->isVisible()) << s.question;
        EXPECT_EQ(peopleOnDisk().size(), s.recordsOnDisk) << s.question;
        EXPECT_EQ(box(editor, 2)->text(), s.shownName) << s.question;
    }
    for (const RecordTexts& r : peopleOnDisk())
        EXPECT_NE(r[1], "Petrov");

    // Escape closes the find dialog; "Найти" is enabled and has the keyboard.
    QTest::keyClick(find, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return editor.findChild<FindDialog*>() == nullptr; }));
    EXPECT_TRUE(button(&editor, "Найти")->isEnabled());
    EXPECT_EQ(editor.focusWidget(), button(&editor, "Найти"));
}

// A click in the editor leaves the find dialog above it; "Найти" brings back
// a dialog that is behind or hidden instead of opening a second one.
TEST_F(EditorWindow, FindDialogStaysAboveTheEditorAndFindBringsItBack) {
    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    QPushButton* open = button(&editor, "Найти");
    QTest::mouseClick(open, Qt::LeftButton);
    auto* find = editor.findChild<FindDialog*>();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(find->windowType(), Qt::Tool);
    EXPECT_EQ(find->parentWidget(), &editor);
    const std::function<void()> sendBack[] = {[&] { box(editor, 2)->activateWindow(); },
                                              [&] { find->hide(); }};
    for (const auto& away : sendBack) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(find));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !open->isEnabled(); }, 1000));
        away();
        EXPECT_TRUE(QTest::qWaitFor([&] { return open->isEnabled(); }, 1000));
        QTest::mouseClick(open, Qt::LeftButton);
        EXPECT_EQ(editor.findChildren<FindDialog*>().size(), 1);
        EXPECT_TRUE(find->isVisible());
    }
}

// Tabs and line breaks pasted into a box arrive as blanks, in the box and
// in the file.
TEST_F(EditorWindow, PastedControlCharactersBecomeBlanks) {
    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    QLineEdit* street = box(editor, 3);
    street->selectAll();
    QApplication::clipboard()->setText("Sadovaya\t7\r\nkv");
    street->paste();
    EXPECT_EQ(street->text(), "Sadovaya 7  kv");
    QTest::mouseClick(button(&editor, "Сохранить"), Qt::LeftButton);
    EXPECT_EQ(peopleOnDisk()[1][2], "Sadovaya 7  kv");
}

TEST_F(EditorWindow, RecordAddedToAnotherFileMakesTheFindSearchAgain) {
    RecordEditor editor(search, settings, {{0, 1, TableKind::Organizations}, std::nullopt});
    editor.show();
    QTest::mouseClick(button(&editor, "Найти"), Qt::LeftButton);
    auto* find = editor.findChild<FindDialog*>();
    ASSERT_NE(find, nullptr);
    typeText(find->findChild<QComboBox*>("text")->lineEdit(), "Bank");
    QPushButton* go = button(find, "Найти");
    QTest::mouseClick(go, Qt::LeftButton);
    ASSERT_EQ(go->text(), "Следующая");

    bool hiddenWhileChoosing = false;
    whenModal<NewBaseFileDialog>([&](NewBaseFileDialog* dialog) {
        hiddenWhileChoosing = !find->isVisible();
        auto* files = dialog->findChild<QComboBox*>();
        ASSERT_EQ(files->itemText(1).toStdString(), dir.file("a.btn"));
        files->setCurrentIndex(1);
        Q_EMIT files->activated(1);
        QTest::mouseClick(button(dialog, "OK"), Qt::LeftButton);
    });
    QTest::mouseClick(button(&editor, "Сохранить как..."), Qt::LeftButton);
    EXPECT_TRUE(hiddenWhileChoosing);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(editor.logic().position().base, 0);
    EXPECT_EQ(editor.logic().position().record, 1); // appended after "Director"
    EXPECT_EQ(set.bases[0].table(TableKind::Organizations).count, 2);
    EXPECT_EQ(go->text(), "Найти"); // the hits it stepped through are out of date
    EXPECT_TRUE(find->findChild<QLabel*>("found")->text().isEmpty());
}

TEST_F(EditorWindow, NumberBoxGoesToTheTypedRecordAndTheArrowsStepFromIt) {
    RecordEditor editor(search, settings, {{1, 0, TableKind::Population}, std::nullopt});
    editor.show();
    auto* number = editor.findChild<QLineEdit*>("number");
    QPushButton* go = button(&editor, "Сохранить");
    ASSERT_TRUE(number != nullptr && go != nullptr);

    struct Case {
        const char* typed;
        const char* then; // nullptr: Enter
        int shown;        // record number afterwards
        const char* name;
        bool refused;
    } cases[] = {
        {"3", nullptr, 3, "Orlov", false},
        {"99", nullptr, 5, "", false}, // past the end: the empty slot
        {"0", nullptr, 0, "Ivanov", false},
        {"x", nullptr, 0, "Ivanov", true},
        {"2", ">", 3, "Orlov", false}, // the arrows step from the typed number
        {"2", "<", 1, "Petrov", false},
    };
    for (const Case& c : cases) {
        number->selectAll();
        typeText(number, c.typed);
        EXPECT_EQ(go->text(), "Перейти") << c.typed;
        EXPECT_EQ(go->toolTip(), "Отобразить запись под введенным номером");
        EXPECT_TRUE(go->isEnabled());
        EXPECT_FALSE(button(&editor, "Удалить")->isEnabled());
        EXPECT_FALSE(button(&editor, "Сохранить как...")->isEnabled());
        QString message;
        if (c.refused)
            whenModal<QMessageBox>([&](QMessageBox* m) {
                message = m->text();
                m->accept();
            });
        if (c.then != nullptr)
            QTest::mouseClick(button(&editor, c.then), Qt::LeftButton);
        else
            QTest::keyClick(number, Qt::Key_Return);
        EXPECT_EQ(message, c.refused ? "Please enter an integer." : "") << c.typed;
        EXPECT_EQ(number->text().toInt(), c.shown) << c.typed;
        EXPECT_EQ(editor.logic().position().record, c.shown) << c.typed;
        EXPECT_EQ(box(editor, 2)->text(), c.name) << c.typed;
        if (!c.refused) {
            EXPECT_EQ(go->text(), "Сохранить");
            EXPECT_EQ(go->toolTip(), "Сохранить внесенные изменения");
            EXPECT_EQ(button(&editor, "Удалить")->isEnabled(), c.shown < 5);
        }
    }
}

TEST_F(EditorWindow, TrackBarMovesTheRecordWhenLetGo) {
    RecordEditor editor(search, settings, {{2, 0, TableKind::Population}, std::nullopt});
    editor.show();
    auto* track = editor.findChild<QSlider*>("track");
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(track->maximum(), 5); // the empty slot is the last stop
    EXPECT_EQ(track->value(), 2);

    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Right, 3}, {Qt::Key_End, 5}, {Qt::Key_Home, 0}, {Qt::Key_Left, 0}};
    for (auto [key, shown] : keys) {
        QTest::keyClick(track, key);
        // The record follows once the key is handled, in a queued call.
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return editor.logic().position().record == track->value(); }, 5000));
        EXPECT_EQ(editor.logic().position().record, shown) << key;
        EXPECT_EQ(box(editor, 2)->text(), shown < 5 ? kPeople[size_t(shown)][1].c_str() : "");
    }

    // The handle dragged to the far end; the record follows once let go.
    auto mouse = [track](QEvent::Type type, int x, Qt::MouseButtons held) {
        const QPoint at(x, track->height() / 2);
        QMouseEvent e(type, at, track->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(track, &e);
    };
    mouse(QEvent::MouseButtonPress, 4, Qt::LeftButton);
    mouse(QEvent::MouseMove, track->width() / 2, Qt::LeftButton);
    mouse(QEvent::MouseMove, track->width(), Qt::LeftButton);
    EXPECT_EQ(editor.logic().position().record, 0); // not while dragging
    mouse(QEvent::MouseButtonRelease, track->width(), Qt::NoButton);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return editor.logic().position().record == track->value(); }, 5000));
    EXPECT_EQ(track->value(), 5);
    EXPECT_EQ(editor.logic().position().record, track->value());
    EXPECT_EQ(editor.findChild<QLineEdit*>("number")->text().toInt(), track->value());
}

TEST_F(EditorWindow, KindAndFileSwitchRelabelAndShowTheirRecords) {
    RecordEditor editor(search, settings, {{0, 0, TableKind::Population}, std::nullopt});
    editor.show();
    struct Case {
        const char* radio;
        const char* phoneLabel;
        const char* nameLabel;
        bool houseEnabled, organizationEnabled;
        const char* name;
    } cases[] = {
        {"Организации", "Телефон:", "Должность:", true, true, "Director"},
        {"Коды городов", "Код города:", "Город:", false, false, "Gorky"},
        {"Население", "Телефон:", "Фамилия И.О.:", true, false, "Ivanov"},
    };
    for (const Case& c : cases) {
        QRadioButton* radio = nullptr;
        for (QRadioButton* r : editor.findChildren<QRadioButton*>())
            if (r->text() == QString::fromUtf8(c.radio)) radio = r;
        ASSERT_NE(radio, nullptr) << c.radio;
        QTest::mouseClick(radio, Qt::LeftButton);
        EXPECT_EQ(labelText(&editor, "label1"), QString::fromUtf8(c.phoneLabel)) << c.radio;
        EXPECT_EQ(labelText(&editor, "label2"), QString::fromUtf8(c.nameLabel)) << c.radio;
        EXPECT_EQ(box(editor, 4)->isEnabled(), c.houseEnabled) << c.radio;
        EXPECT_EQ(box(editor, 6)->isEnabled(), c.organizationEnabled) << c.radio;
        EXPECT_EQ(box(editor, 2)->text(), c.name) << c.radio;
    }

    // The second file at its first organization, then "Новый файл".
    QTest::mouseClick(editor.findChildren<QRadioButton*>().at(1), Qt::LeftButton);
    auto* files = editor.findChild<QComboBox*>("files");
    ASSERT_EQ(files->count(), 3);
    // Down leaves the list for the next control instead of choosing a file.
    editor.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&editor));
    files->setFocus();
    QTest::keyClick(files, Qt::Key_Down);
    EXPECT_EQ(files->currentIndex(), 0);
    EXPECT_FALSE(files->hasFocus());
    EXPECT_EQ(editor.logic().position().base, 0);
    EXPECT_EQ(files->itemText(2), "Новый файл");
    files->setCurrentIndex(1);
    Q_EMIT files->activated(1);
    EXPECT_EQ(editor.logic().position().base, 1);
    EXPECT_EQ(box(editor, 2)->text(), "Buhgalter");
    EXPECT_EQ(box(editor, 6)->text(), "Bank");
    EXPECT_TRUE(button(&editor, "Удалить")->isEnabled());

    files->setCurrentIndex(2);
    Q_EMIT files->activated(2);
    EXPECT_EQ(editor.logic().position().base, kNoBase);
    EXPECT_EQ(files->currentText(), "Новый файл");
    EXPECT_TRUE(box(editor, 2)->text().isEmpty());
    typeText(box(editor, 2), "New");
    EXPECT_FALSE(button(&editor, "Сохранить")->isEnabled()); // only "Сохранить как..." stores
    EXPECT_FALSE(button(&editor, "Удалить")->isEnabled());
}

} // namespace
