// The main window's plain rules: command states, the command table's keys,
// the search area, focus moves, the general search history and the panel's
// record for the editor.

#include "base/char_tables.h"
#include "gui/mainwindow/command_rules.h"
#include "gui/mainwindow/commands.h"
#include "gui/mainwindow/focus_rules.h"
#include "gui/mainwindow/layout_typing_filter.h"
#include "gui/mainwindow/panel_record.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace talsk {
namespace {

TEST(CommandRules, PanelAndBarCommandsFollowVisibilityChecksFollowState) {
    struct Case {
        int id;
        FrameFlags flags;
        bool enabled, checked;
    };
    FrameFlags hidden;
    hidden.fieldPanelVisible = false;
    hidden.generalBarVisible = false;
    FrameFlags on;
    on.alwaysOnTop = on.gridLines = true;
    // A command under the state it follows and under the opposite one, so a
    // rule stuck at one value shows; a command no state governs stays enabled.
    const Case cases[] = {
        {cmd::LogBack, hidden, false, false},
        {cmd::LogBack, FrameFlags{}, true, false},
        {cmd::GeneralSearchMenu, hidden, false, false},
        {cmd::GeneralSearchMenu, FrameFlags{}, true, false},
        {cmd::GeneralBar, hidden, true, false},
        {cmd::GeneralBar, FrameFlags{}, true, true},
        {cmd::AlwaysOnTop, on, true, true},
        {cmd::AlwaysOnTop, FrameFlags{}, true, false},
        {cmd::GridLines, on, true, true},
        {cmd::GridLines, FrameFlags{}, true, false},
        {cmd::EditRecords, hidden, true, false},
    };
    for (const Case& c : cases) {
        const CommandState s = cmd::findCommand(c.id)->state(c.flags);
        EXPECT_EQ(s.enabled, c.enabled) << c.id;
        EXPECT_EQ(s.checked, c.checked) << c.id;
    }
}

TEST(CommandTable, IdsAreUniqueAndNoKeyIsBoundTwiceInOneTable) {
    std::set<int> ids;
    std::map<std::pair<int, std::string>, int> bound;
    for (const cmd::Command& c : cmd::commandTable()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        EXPECT_NE(c.state, nullptr) << c.id;
        for (std::string_view k : cmd::commandKeys(c)) {
            auto [it, fresh] = bound.emplace(std::pair(int(c.table), std::string(k)), c.id);
            EXPECT_TRUE(fresh) << k << " of " << c.id << " also bound to " << it->second;
        }
    }
    // The label of "Восстанов. настройки" names Ctrl+F9, which belongs to the grid lines.
    EXPECT_EQ((bound[{128, "Ctrl+F9"}]), cmd::GridLines);
    EXPECT_TRUE(cmd::findCommand(cmd::RestoreSettings)->keys.empty());
    EXPECT_EQ((bound[{189, "PgDown"}]), cmd::LogBack);
    EXPECT_EQ((bound[{188, "Esc"}]), cmd::ClearTable);
    EXPECT_EQ((bound[{128, "Esc"}]), cmd::Minimize);
    for (const cmd::ToolButton& b : cmd::toolbarButtons())
        if (b.id != 0) {
            EXPECT_NE(cmd::findCommand(b.id), nullptr) << b.id;
        }
}

TEST(FocusRules, FieldMovesFollowTheRowsOfEachOrientation) {
    using O = PanelOrientation;
    // focus: below and above, horizontal then vertical.
    const int table[8][5] = {
        {0, 0, 0, 0, 0}, {1, 2, 7, 2, 7}, {2, 3, 1, 3, 1}, {3, 6, 2, 4, 2},
        {4, 5, 3, 6, 3}, {5, 6, 4, 6, 4}, {6, 7, 3, 7, 4}, {7, 1, 6, 1, 6},
    };
    for (int f = 1; f <= 7; ++f) {
        EXPECT_EQ(fieldBelow(f, O::Horizontal), table[f][1]) << f;
        EXPECT_EQ(fieldAbove(f, O::Horizontal), table[f][2]) << f;
        EXPECT_EQ(fieldBelow(f, O::Vertical), table[f][3]) << f;
        EXPECT_EQ(fieldAbove(f, O::Vertical), table[f][4]) << f;
    }
    EXPECT_EQ(fieldAfter(7), 1);
    EXPECT_EQ(fieldBefore(1), 7);
    EXPECT_EQ(fieldAfter(3), 4);
}

TEST(FocusRules, CycleAndScheduling) {
    EXPECT_EQ(focusCycleTarget(true, 0), kFocusPhone);
    EXPECT_EQ(focusCycleTarget(false, 3), kFocusGeneral);
    EXPECT_EQ(focusCycleTarget(false, 0), -1);
    struct Case {
        int focus, v;
        bool dirty;
        FocusSchedule expected;
    };
    const Case cases[] = {
        {-1, 2, true, FocusSchedule::None},       {0, 2, false, FocusSchedule::FieldPanel},
        {3, 2, false, FocusSchedule::None},       {3, 2, true, FocusSchedule::FieldPanel},
        {3, 0, false, FocusSchedule::GeneralBar}, {0, 0, false, FocusSchedule::None},
        {0, 0, true, FocusSchedule::GeneralBar},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scheduleOnFocus(c.focus, c.v, c.dirty), c.expected) << c.focus << c.v;
}

TEST(PanelRecord, TableKindAndFieldLimits) {
    FieldQueryText q;
    q.set(int(RecordField::Phone), "1234567890123");
    q.set(int(RecordField::Name), "Иванов");
    EXPECT_EQ(recordFromQuery(q, kMaskPopulationOrganizations).kind, TableKind::Population);
    EXPECT_EQ(recordFromQuery(q, kMaskOrganizations).kind, TableKind::Organizations);
    EXPECT_EQ(recordFromQuery(q, kMaskCityCodes).kind, TableKind::CityCodes);
    EXPECT_EQ(recordFromQuery(q, 0).kind, TableKind::Population);
    q.set(int(RecordField::Organization), "Завод");
    const PanelRecord r = recordFromQuery(q, kMaskPopulationOrganizations);
    EXPECT_EQ(r.kind, TableKind::Organizations);
    EXPECT_STREQ(r.fields.phone, "1234567890");
    q.set(int(RecordField::Street), "Mira\t5\r\n");
    EXPECT_STREQ(recordFromQuery(q, kMaskPopulation).fields.street, "Mira 5  ");
}

TEST(LayoutTyping, LatinKeysGiveTheRussianLettersOfTheSameKeys) {
    LayoutTable layout;
    loadLayoutTable(layout);
    auto typed = [&](int key, bool keypad, const char* text) {
        return convertTypedText(layout, true, layoutKeyCode(key, keypad), QString::fromUtf8(text))
            .toStdString();
    };
    EXPECT_EQ(typed(Qt::Key_B, false, "b"), "и");
    EXPECT_EQ(typed(Qt::Key_Q, false, "Q"), "Й");
    EXPECT_EQ(typed(Qt::Key_At, false, "@"), "\"");
    EXPECT_EQ(typed(Qt::Key_2, false, "2"), "2");
    EXPECT_EQ(typed(Qt::Key_Slash, false, "/"), "/");
    EXPECT_EQ(typed(Qt::Key_Period, true, "."), ".");
    EXPECT_EQ(typed(Qt::Key_Period, false, "."), "ю");
    EXPECT_EQ(typed(0x418, false, "И"), "И");
    EXPECT_EQ(convertTypedText(layout, false, 0, "b").toStdString(), "b");
}

} // namespace
} // namespace talsk
