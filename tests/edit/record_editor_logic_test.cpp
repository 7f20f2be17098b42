// The record editor's rules over real base files in a temporary folder.

#include "edit/record_editor_logic.h"

#include "support/base_fixtures.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

using namespace talsk;
using namespace talsk::test;
namespace t = talsk::editorText;

namespace {

// Answers the questions in order and keeps every text shown.
struct ScriptedPrompts : EditorPrompts {
    std::deque<PromptAnswer> answers;
    std::vector<std::string> shown;
    PromptAnswer ask(const char*, const char* text, PromptButtons) override {
        shown.emplace_back(text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return PromptAnswer::Cancel;
        }
        const PromptAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    void tell(PromptIcon, const char*, const char* text) override { shown.emplace_back(text); }
};

RecordTexts person(const std::string& phone, const std::string& name) {
    return {phone, name, "Lenina", "1", "2", "", ""};
}

EditorStart at(int32_t record, int base, TableKind kind) {
    EditorStart start;
    start.position = {record, static_cast<int16_t>(base), kind};
    return start;
}

// Two connected files: a.btn with three residents and one organization, b.btn empty.
struct Editor : ::testing::Test {
    TempDir dir;
    BaseSet set;
    SearchSession search{set};
    ProgramSettings settings;
    ScriptedPrompts prompts;

    void SetUp() override {
        settings.saveOnClose = 0;
        BaseContent a;
        a.tables[0] = {person("111", "Ivanov"), person("222", "Petrov"), person("333", "Sidorov")};
        a.tables[1] = {{"444", "Director", "Mira", "5", "6", "Zavod", ""}};
        BaseContent b;
        b.tables[0] = {person("999", "Orlov")};
        for (auto& [name, content] : {std::pair{"a.btn", a}, std::pair{"b.btn", b}}) {
            PhoneBase base;
            base.path = dir.file(name);
            fillBase(base, content, "");
            ASSERT_TRUE(saveBase(base, kMaskAllTables));
            closeBase(base);
            set.bases.emplace_back().path = dir.file(name);
            ASSERT_TRUE(openBase(set.bases.back(), nullptr));
        }
        recountTotals(set);
    }
    // The population of a file as a fresh load reads it.
    std::vector<RecordTexts> onDisk(const char* name) {
        PhoneBase base;
        base.path = dir.file(name);
        EXPECT_TRUE(openBase(base, nullptr, {.access = BaseAccess::Reader}));
        return contentOf(base).tables[0];
    }
};

TEST_F(Editor, StoreRefusalsSayWhyAndLeaveTheFile) {
    struct Case {
        int base;
        bool readOnly;
        RecordFields record;
        const char* message;
    } cases[] = {
        {kNoBase, false, toFields(person("5", "X")), t::kUnknownFile},
        {0, false, RecordFields{}, t::kNothingGiven},
        {0, true, toFields(person("5", "X")), t::kReadOnly},
    };
    settings.confirmSaveRecord = 0;
    const auto before = readBytes(dir.file("a.btn"));
    for (const Case& c : cases) {
        set.bases[0].readOnly = c.readOnly;
        prompts.shown.clear();
        RecordEditorLogic editor(search, settings, prompts, at(1, c.base, TableKind::Population));
        editor.edit(c.record);
        EXPECT_FALSE(editor.save()) << c.message;
        EXPECT_EQ(prompts.shown, std::vector<std::string>{c.message});
        EXPECT_EQ(set.bases[0].table(TableKind::Population).count, 3);
    }
    EXPECT_EQ(readBytes(dir.file("a.btn")), before);
}

TEST_F(Editor, ConfirmationsFollowTheSettings) {
    struct Case {
        bool checkDuplicate, confirm;
        const char* phone; // typed over record 0, "111"
        std::vector<PromptAnswer> answers;
        std::vector<std::string> asked;
        bool stored;
    } cases[] = {
        {true, true, "444", {PromptAnswer::Yes}, {t::kDuplicatePhone}, true}, // organization's
                                                                              // phone
        {true, true, "222", {PromptAnswer::No}, {t::kDuplicatePhone}, false},
        {true, true, "555", {PromptAnswer::Yes}, {t::kConfirmSave}, true},
        {true, true, "555", {PromptAnswer::No}, {t::kConfirmSave}, false},
        {true, false, "111", {}, {}, true}, // its own phone is no duplicate
        {false, false, "222", {}, {}, true},
    };
    for (const Case& c : cases) {
        settings.checkDuplicatePhone = c.checkDuplicate;
        settings.confirmSaveRecord = c.confirm;
        prompts.answers.assign(c.answers.begin(), c.answers.end());
        prompts.shown.clear();
        RecordEditorLogic editor(search, settings, prompts);
        editor.edit(toFields(person(c.phone, "Ivanov")));
        EXPECT_EQ(editor.save(), c.stored) << c.phone;
        EXPECT_EQ(prompts.shown, c.asked) << c.phone;
        EXPECT_EQ(onDisk("a.btn")[0][0], c.stored ? c.phone : "111") << c.phone;
        EXPECT_EQ(editor.recordChanged(), !c.stored);
        if (c.stored) { // back to the original for the next case
            editor.edit(toFields(person("111", "Ivanov")));
            prompts.answers.assign(c.answers.begin(), c.answers.end());
            ASSERT_TRUE(editor.save());
        }
    }
}

TEST_F(Editor, MovesOfferToSave) {
    struct Case {
        PromptAnswer answer;
        bool moved;
        const char* onDiskName;
    } cases[] = {
        {PromptAnswer::Cancel, false, "Petrov"},
        {PromptAnswer::No, true, "Petrov"},
        {PromptAnswer::Yes, true, "Changed"},
    };
    settings.confirmSaveRecord = 0;
    for (const Case& c : cases) {
        RecordEditorLogic editor(search, settings, prompts, at(1, 0, TableKind::Population));
        editor.edit(toFields(person("222", "Changed")));
        prompts.answers = {c.answer};
        EXPECT_EQ(editor.next(), c.moved);
        EXPECT_EQ(editor.position().record, c.moved ? 2 : 1);
        EXPECT_EQ(onDisk("a.btn")[1][1], c.onDiskName);
        if (!c.moved) {
            EXPECT_EQ(std::string(editor.fields().name), "Changed"); // typing kept
        }
        EXPECT_TRUE(prompts.answers.empty());
    }
    // Not asked when the setting is off; the edit is dropped.
    settings.askToSaveChanges = 0;
    RecordEditorLogic editor(search, settings, prompts, at(2, 0, TableKind::Population));
    editor.edit(toFields(person("333", "Dropped")));
    EXPECT_TRUE(editor.last());
    EXPECT_EQ(editor.position().record, 3); // the empty slot after the last record
    EXPECT_FALSE(editor.canDelete());
    EXPECT_EQ(onDisk("a.btn")[2][1], "Sidorov");
}

TEST_F(Editor, SaveOnCloseWritesWhenTheEditorCloses) {
    settings.saveOnClose = 1;
    settings.confirmSaveRecord = 0;
    const auto before = readBytes(dir.file("b.btn"));
    RecordEditorLogic editor(search, settings, prompts, at(1, 1, TableKind::Population));
    editor.edit(toFields(person("777", "Novikov")));
    ASSERT_TRUE(editor.save());
    EXPECT_EQ(editor.position().record, 1); // the appended record
    EXPECT_EQ(set.totalPopulation, 5);      // searches see it at once
    EXPECT_EQ(readBytes(dir.file("b.btn")), before);
    const auto result = editor.close();
    ASSERT_TRUE(result);
    EXPECT_EQ(result->changedBases, std::vector<int>{1});
    EXPECT_TRUE(result->recordsAddedOrRemoved);
    EXPECT_TRUE(result->unsavedBases.empty());
    EXPECT_EQ(onDisk("b.btn"), (std::vector{person("999", "Orlov"), person("777", "Novikov")}));
}

TEST_F(Editor, DeleteAsksFirst) {
    RecordEditorLogic editor(search, settings, prompts, at(1, 0, TableKind::Population));
    prompts.answers = {PromptAnswer::No, PromptAnswer::Yes};
    EXPECT_FALSE(editor.remove());
    EXPECT_EQ(onDisk("a.btn").size(), 3u);
    EXPECT_TRUE(editor.remove());
    EXPECT_EQ(prompts.shown, (std::vector<std::string>{t::kConfirmDelete, t::kConfirmDelete}));
    EXPECT_EQ(onDisk("a.btn"), (std::vector{person("111", "Ivanov"), person("333", "Sidorov")}));
    EXPECT_EQ(std::string(editor.fields().name), "Sidorov");
    EXPECT_TRUE(editor.close()->recordsAddedOrRemoved);
}

TEST_F(Editor, FailedWriteKeepsTheFileAndTheTyping) {
    settings.confirmSaveRecord = 0;
    const auto before = readBytes(dir.file("a.btn"));
    FaultFileSystem fs;
    fs.failTempWritesAfter = 0;
    RecordEditorLogic editor(search, settings, prompts);
    {
        ScopedFileSystem scoped(fs);
        editor.edit(toFields(person("111", "Typed")));
        EXPECT_FALSE(editor.save());
        EXPECT_EQ(prompts.shown,
                  std::vector<std::string>{std::string(t::kSaveFailed) + "\nнет места на диске"});
        EXPECT_EQ(readBytes(dir.file("a.btn")), before);
        EXPECT_TRUE(editor.recordChanged());
        EXPECT_TRUE(editor.fileChanged(0));
        prompts.answers = {PromptAnswer::No}; // leave the record: memory holds it
        const auto failed = editor.close();
        ASSERT_TRUE(failed);
        EXPECT_EQ(failed->unsavedBases, std::vector<int>{0});
        EXPECT_EQ(readBytes(dir.file("a.btn")), before);
    }
    // The close writes it once the disk takes it.
    prompts.answers = {PromptAnswer::No};
    const auto written = editor.close();
    ASSERT_TRUE(written);
    EXPECT_TRUE(written->unsavedBases.empty());
    EXPECT_EQ(onDisk("a.btn")[0][1], "Typed");
}

TEST_F(Editor, PastedRecordSavedAsNewIntoAnotherFile) {
    RecordEditorLogic editor(search, settings, prompts, at(0, 0, TableKind::Organizations));
    editor.copy();
    ASSERT_TRUE(editor.chooseBase(1));
    editor.paste();
    EXPECT_EQ(editor.position().table, TableKind::Organizations);
    EXPECT_TRUE(editor.saveAs(1));
    PhoneBase b;
    b.path = dir.file("b.btn");
    ASSERT_TRUE(openBase(b, nullptr, {.access = BaseAccess::Reader}));
    EXPECT_EQ(contentOf(b).tables[1],
              (std::vector<RecordTexts>{{"444", "Director", "Mira", "5", "6", "Zavod", ""}}));
}

// The buffer the window keeps for the whole run: what one editor copied,
// the next one pastes; an editor without it pastes only its own copy.
TEST_F(Editor, CopyBufferOutlivesTheEditorThatCopied) {
    RecordFields buffer;
    EditorStart first = at(1, 0, TableKind::Population);
    first.copyBuffer = &buffer;
    RecordEditorLogic(search, settings, prompts, first).copy();
    EXPECT_STREQ(buffer.name, "Petrov");

    EditorStart second = at(3, 0, TableKind::Population);
    second.copyBuffer = &buffer;
    RecordEditorLogic shared(search, settings, prompts, second);
    shared.paste();
    EXPECT_STREQ(shared.fields().name, "Petrov");
    EXPECT_TRUE(shared.recordChanged());

    RecordEditorLogic alone(search, settings, prompts, at(3, 0, TableKind::Population));
    alone.paste();
    EXPECT_STREQ(alone.fields().name, "");
}

TEST_F(Editor, IncomingRecordAsksToSaveOnClose) {
    EditorStart start = at(3, 0, TableKind::Population);
    start.incoming = toFields(person("888", "Panel"));
    RecordEditorLogic editor(search, settings, prompts, start);
    EXPECT_EQ(std::string(editor.fields().name), "Panel");
    EXPECT_FALSE(editor.canSave());
    prompts.answers = {PromptAnswer::Cancel, PromptAnswer::Yes};
    EXPECT_FALSE(editor.close());
    ASSERT_TRUE(editor.close());
    EXPECT_EQ(onDisk("a.btn").back(), person("888", "Panel"));
}

TEST(TypedFieldText, ControlCharactersBecomeBlanksAndTheRestStays) {
    const struct {
        std::string typed, kept;
    } cases[] = {
        {"Lenina\tstr.", "Lenina str."},
        {"line one\r\nline two\n", "line one  line two "},
        {"a\x01\x1f\x7f|", "a   |"},
        {"\xc8\xe2\xe0\xed \xb8\xff", "\xc8\xe2\xe0\xed \xb8\xff"}, // Cyrillic bytes stay
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(blankControlCharacters(c.typed), c.kept) << c.typed;
}

} // namespace
