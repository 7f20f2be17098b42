#pragma once
// The rules of the record editor without its window: which record is shown,
// moving through a table, storing, adding, deleting, copying and pasting, and
// what must be written when the editor closes. The window binds its controls
// to position() and fields() and forwards the user's actions here.

#include "base/base_set.h"
#include "edit/editor_prompts.h"
#include "search/search_session.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talsk {

// A mask without table bits: write the file from the tables as they stand.
constexpr TableMask kMaskWriteOnly = 0x8000;

// What the main window refreshes after the editor closed.
struct EditorCloseResult {
    std::vector<int> changedBases;      // records of these bases changed in memory
    bool recordsAddedOrRemoved = false; // totals and the search area need recounting
    std::vector<int> unsavedBases;      // their files could not be written
};

struct EditorStart {
    SearchHit position{0, 0, TableKind::Population};
    std::optional<RecordFields> incoming; // shown in the empty slot, counted as a change
    // How long a change waits for the background search to stop before it is refused.
    std::chrono::milliseconds searchStopLimit = kCancelWaitLimit;
    // Copy and paste go through this buffer, which outlives the editor so that
    // one editor pastes what another copied; none: a buffer of the editor's own.
    RecordFields* copyBuffer = nullptr;
};

class RecordEditorLogic {
public:
    // Cancels the background search first: the editor changes the records it
    // reads. Every change stops it again and is refused when it will not stop.
    RecordEditorLogic(SearchSession& search, ProgramSettings& settings, EditorPrompts& prompts,
                      const EditorStart& start = {});
    RecordEditorLogic(const RecordEditorLogic&) = delete;
    RecordEditorLogic& operator=(const RecordEditorLogic&) = delete;

    // ---- what the window shows
    const SearchHit& position() const { return position_; }
    // The record of the edit boxes, fields the kind does not use empty.
    const RecordFields& fields() const { return fields_; }
    bool recordChanged() const { return recordChanged_; }
    bool readOnly() const { return readOnly_; }
    bool canSave() const;   // "Сохранить"
    bool canDelete() const; // "Удалить"
    // The table's record count; the empty slot after the last record is at count.
    int32_t recordCount() const;
    bool fileChanged(int base) const;
    // Counts the stores and deletions that changed the records in memory, so
    // that a window can tell when what it searched has changed.
    uint32_t dataChanges() const { return dataChanges_; }

    // ---- editing
    // The user typed: the edit boxes now hold this record.
    void edit(const RecordFields& typed);
    void copy();
    void paste();

    // ---- moving; each asks to save first and returns false when the user stayed
    bool first();
    bool previous();
    bool next();
    // From a number the user typed over the shown one.
    bool previous(int32_t from);
    bool next(int32_t from);
    bool last(); // the empty slot after the last record
    bool goToNumber(int32_t record);
    bool chooseKind(TableKind kind);
    bool chooseKind(TableKind kind, int32_t record);
    bool chooseBase(int base); // kNoBase: "Новый файл"
    bool goToRecord(const SearchHit& hit);

    // ---- storing
    bool save(); // "Сохранить", with the confirmations the settings ask for
    // "Сохранить как...": false with a message when the edit boxes are empty,
    // before the window asks for the target file.
    bool canSaveAs();
    bool saveAs(int targetBase); // appends to the target's table of the current kind
    bool remove();               // "Удалить", after its confirmation

    // "Выход": asks to save; nullopt when the user stays. Writes the files
    // whose saving waits for the close or failed before.
    std::optional<EditorCloseResult> close();
    // Closing when the program must end now: no questions and no messages;
    // the shown record's unstored changes are dropped, the stored ones written.
    EditorCloseResult closeUnasked();

    // Cuts a record to the slots and lengths the kind uses.
    static RecordFields fieldsForKind(const RecordFields& record, TableKind kind);

private:
    enum class Confirm { Ask, Skip };
    // Refused: nothing changed. NotWritten: memory changed, the file did not.
    enum class Stored { Refused, NotWritten, Written };
    bool offerToSave();
    EditorCloseResult writeAndFinish(bool reportFailures);
    bool moveTo(SearchHit target);
    void showRecordAt(SearchHit target);
    // record nullptr: delete.
    Stored storeRecord(const SearchHit& at, const RecordFields* record, Confirm confirm);
    bool confirmStore(const PhoneBase& base, const SearchHit& at, const RecordFields& record);
    bool duplicatePhone(const PhoneBase& base, const SearchHit& at, const char* phone) const;
    void reportSaveFailure(WriteError cause, const PhoneBase* base);
    PhoneBase* baseAt(int index);
    BaseTable* tableAt(const SearchHit& at);

    SearchSession& search_;
    BaseSet& set_;
    ProgramSettings& settings_;
    EditorPrompts& prompts_;
    SearchHit position_{};
    RecordFields fields_;
    std::optional<RecordFields> incoming_;
    std::chrono::milliseconds searchStopLimit_;
    RecordFields ownCopyBuffer_;
    RecordFields& copyBuffer_;
    bool recordChanged_ = false;
    bool typedSinceShown_ = false;
    bool readOnly_ = false;
    bool recordsAddedOrRemoved_ = false;
    uint32_t dataChanges_ = 0;
    std::array<bool, kMaxFiles> fileChanged_{};
    std::array<bool, kMaxFiles> writePending_{}; // the file lags behind memory
};

bool isEmptyRecord(const RecordFields& record);

// Field text a person typed or pasted (Windows-1251): control characters such
// as tabs and line breaks become blanks, so a record entered by hand stays
// one line in the table and in the file.
std::string blankControlCharacters(std::string_view text);

} // namespace talsk
