#include "edit/record_editor_logic.h"

#include "platform/write_error.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace talsk {

namespace {
namespace t = editorText;

const PhoneBase* connectedBase(const BaseSet& set, int index) {
    if (index < 0 || index >= set.count() || index >= kMaxFiles) return nullptr;
    const PhoneBase& base = set.bases[static_cast<size_t>(index)];
    return base.connected ? &base : nullptr;
}
} // namespace

bool isEmptyRecord(const RecordFields& record) {
    for (int k = 1; k <= kFieldCount; ++k)
        if (record.field(k)[0] != '\0') return false;
    return true;
}

std::string blankControlCharacters(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f') c = ' ';
    return out;
}

RecordFields RecordEditorLogic::fieldsForKind(const RecordFields& record, TableKind kind) {
    RecordFields out;
    for (int k = 1; k <= kFieldCount; ++k) {
        const bool used = (k != 4 && k != 5 && k != 6) || (k == 6 ? kind == TableKind::Organizations
                                                                  : kind != TableKind::CityCodes);
        if (!used) continue;
        const size_t n = strnlen(record.field(k), static_cast<size_t>(RecordFields::capacity(k)));
        const size_t cut = std::min(n, static_cast<size_t>(kFieldMax[k]));
        std::memcpy(out.field(k), record.field(k), cut);
        out.field(k)[cut] = '\0';
    }
    return out;
}

RecordEditorLogic::RecordEditorLogic(SearchSession& search, ProgramSettings& settings,
                                     EditorPrompts& prompts, const EditorStart& start)
    : search_(search), set_(search.baseSet()), settings_(settings), prompts_(prompts),
      incoming_(start.incoming), searchStopLimit_(start.searchStopLimit),
      copyBuffer_(start.copyBuffer != nullptr ? *start.copyBuffer : ownCopyBuffer_) {
    // Early only: each change waits again, and refuses, for one that will not stop.
    search_.interrupt(searchStopLimit_);
    showRecordAt(start.position);
}

PhoneBase* RecordEditorLogic::baseAt(int index) {
    return const_cast<PhoneBase*>(connectedBase(set_, index));
}

BaseTable* RecordEditorLogic::tableAt(const SearchHit& at) {
    PhoneBase* base = baseAt(at.base);
    return base != nullptr ? &base->table(at.table) : nullptr;
}

int32_t RecordEditorLogic::recordCount() const {
    const PhoneBase* base = connectedBase(set_, position_.base);
    return base != nullptr ? base->table(position_.table).count : 0;
}

bool RecordEditorLogic::canSave() const {
    return position_.base != kNoBase && !readOnly_ && typedSinceShown_;
}

bool RecordEditorLogic::canDelete() const {
    return position_.base != kNoBase && !readOnly_ && position_.record < recordCount();
}

bool RecordEditorLogic::fileChanged(int base) const {
    return base >= 0 && base < kMaxFiles && fileChanged_[static_cast<size_t>(base)];
}

void RecordEditorLogic::showRecordAt(SearchHit target) {
    if (baseAt(target.base) == nullptr) target.base = kNoBase;
    const BaseTable* table = tableAt(target);
    const int32_t count = table != nullptr ? table->count : 0;
    target.record = std::clamp(target.record, int32_t{0}, count);
    bool incomingShown = false;
    if (target.record == count) {
        fields_.clear();
        if (incoming_) {
            fields_ = fieldsForKind(*incoming_, target.table);
            incoming_.reset();
            incomingShown = true;
        }
    } else {
        unpackRecord(*table, target.record, fields_);
        fields_ = fieldsForKind(fields_, target.table);
    }
    readOnly_ = target.base != kNoBase && baseAt(target.base)->readOnly;
    // A record handed in is not in the file yet: leaving it asks to save.
    recordChanged_ = incomingShown;
    typedSinceShown_ = false;
    position_ = target;
}

void RecordEditorLogic::edit(const RecordFields& typed) {
    fields_ = fieldsForKind(typed, position_.table);
    recordChanged_ = true;
    typedSinceShown_ = true;
}

void RecordEditorLogic::copy() {
    copyBuffer_ = fields_;
}

void RecordEditorLogic::paste() {
    edit(copyBuffer_);
}

// ---- moving

bool RecordEditorLogic::offerToSave() {
    if (!settings_.askToSaveChanges || !recordChanged_ || readOnly_) return true;
    if (isEmptyRecord(fields_)) return true;
    switch (prompts_.ask(t::kEditorCaption, t::kAskSaveChanges, PromptButtons::YesNoCancel)) {
    case PromptAnswer::No:
        return true;
    case PromptAnswer::Cancel:
        return false;
    case PromptAnswer::Yes:
        break;
    }
    return storeRecord(position_, &fields_, Confirm::Skip) == Stored::Written;
}

bool RecordEditorLogic::moveTo(SearchHit target) {
    if (!offerToSave()) return false;
    showRecordAt(target);
    return true;
}

bool RecordEditorLogic::first() {
    return moveTo({0, position_.base, position_.table});
}

bool RecordEditorLogic::previous() {
    return previous(position_.record);
}

bool RecordEditorLogic::next() {
    return next(position_.record);
}

bool RecordEditorLogic::previous(int32_t from) {
    return moveTo({std::max(from, int32_t{1}) - 1, position_.base, position_.table});
}

bool RecordEditorLogic::next(int32_t from) {
    return moveTo({from < INT32_MAX ? from + 1 : from, position_.base, position_.table});
}

bool RecordEditorLogic::last() {
    // The table's count as it is after a possible save of the shown record.
    return moveTo({INT32_MAX, position_.base, position_.table});
}

bool RecordEditorLogic::goToNumber(int32_t record) {
    return moveTo({record, position_.base, position_.table});
}

bool RecordEditorLogic::chooseKind(TableKind kind) {
    return chooseKind(kind, position_.record);
}

bool RecordEditorLogic::chooseKind(TableKind kind, int32_t record) {
    return moveTo({record, position_.base, kind});
}

bool RecordEditorLogic::chooseBase(int base) {
    return moveTo({0, static_cast<int16_t>(baseAt(base) ? base : kNoBase), position_.table});
}

bool RecordEditorLogic::goToRecord(const SearchHit& hit) {
    return moveTo(hit);
}

// ---- storing

bool RecordEditorLogic::save() {
    if (storeRecord(position_, &fields_, Confirm::Ask) != Stored::Written) return false;
    showRecordAt(position_); // after an append the index names the new record
    return true;
}

bool RecordEditorLogic::canSaveAs() {
    if (!isEmptyRecord(fields_)) return true;
    prompts_.tell(PromptIcon::Information, t::kProgramCaption, t::kNothingGiven);
    return false;
}

bool RecordEditorLogic::saveAs(int targetBase) {
    if (!canSaveAs()) return false;
    SearchHit target{0, static_cast<int16_t>(baseAt(targetBase) ? targetBase : kNoBase),
                     position_.table};
    if (const BaseTable* table = tableAt(target)) target.record = table->count;
    if (storeRecord(target, &fields_, Confirm::Skip) != Stored::Written) return false;
    showRecordAt(target);
    return true;
}

bool RecordEditorLogic::remove() {
    if (!canDelete()) return false;
    if (prompts_.ask(t::kConfirmCaption, t::kConfirmDelete, PromptButtons::YesNo) !=
        PromptAnswer::Yes)
        return false;
    const Stored result = storeRecord(position_, nullptr, Confirm::Skip);
    // The record is gone from memory even when its file could not be written:
    // the boxes must not go on showing it.
    if (result != Stored::Refused) showRecordAt(position_);
    return result == Stored::Written;
}

bool RecordEditorLogic::duplicatePhone(const PhoneBase& base, const SearchHit& at,
                                       const char* phone) const {
    for (TableKind kind : {TableKind::Population, TableKind::Organizations}) {
        const BaseTable& table = base.table(kind);
        for (int32_t i = 0; i < table.count; ++i) {
            if (kind == at.table && i == at.record) continue; // the edited record itself
            if (std::strcmp(fieldPointers(table, i)[1], phone) == 0) return true;
        }
    }
    return false;
}

bool RecordEditorLogic::confirmStore(const PhoneBase& base, const SearchHit& at,
                                     const RecordFields& record) {
    // An empty telephone is no number to repeat.
    if (at.table != TableKind::CityCodes && settings_.checkDuplicatePhone &&
        record.phone[0] != '\0' && duplicatePhone(base, at, record.phone))
        return prompts_.ask(t::kConfirmCaption, t::kDuplicatePhone, PromptButtons::YesNo) ==
               PromptAnswer::Yes;
    if (settings_.confirmSaveRecord)
        return prompts_.ask(t::kConfirmCaption, t::kConfirmSave, PromptButtons::YesNo) ==
               PromptAnswer::Yes;
    return true;
}

RecordEditorLogic::Stored
RecordEditorLogic::storeRecord(const SearchHit& at, const RecordFields* record, Confirm confirm) {
    PhoneBase* base = baseAt(at.base);
    if (base == nullptr) {
        prompts_.tell(PromptIcon::Warning, t::kErrorCaption, t::kUnknownFile);
        return Stored::Refused;
    }
    if (record != nullptr && isEmptyRecord(*record)) {
        prompts_.tell(PromptIcon::Information, t::kProgramCaption, t::kNothingGiven);
        return Stored::Refused;
    }
    if (confirm == Confirm::Ask && record != nullptr && !confirmStore(*base, at, *record))
        return Stored::Refused;
    if (base->readOnly) {
        prompts_.tell(PromptIcon::Warning, t::kProgramCaption, t::kReadOnly);
        return Stored::Refused;
    }
    BaseTable& table = base->table(at.table);
    if (at.record < 0 || at.record > table.count || (record == nullptr && at.record == table.count))
        return Stored::Refused; // names no record: nothing to change
    if (!search_.cancel(searchStopLimit_)) {
        prompts_.tell(PromptIcon::Error, t::kErrorCaption, kSearchStillRunning);
        return Stored::Refused;
    }

    stampTableDates(table, record != nullptr);
    if (record == nullptr || at.record == table.count) recordsAddedOrRemoved_ = true;
    const RecordFields stored =
        record != nullptr ? fieldsForKind(*record, at.table) : RecordFields{};
    const bool changed =
        record != nullptr ? putRecord(table, at.record, stored) : deleteRecord(table, at.record);
    if (!changed) {
        reportSaveFailure(WriteError::None, nullptr);
        return Stored::Refused;
    }
    recountTotals(set_);
    ++dataChanges_;

    const size_t b = static_cast<size_t>(at.base);
    fileChanged_[b] = true;
    const bool deferred = settings_.saveOnClose != 0;
    WriteError cause = WriteError::None;
    if (!saveBase(*base, tableMaskOf(at.table) | (deferred ? kMaskValidateOnly : 0), &cause)) {
        // Memory holds the change; the file is tried again when the editor closes.
        writePending_[b] = true;
        reportSaveFailure(cause, nullptr);
        return Stored::NotWritten;
    }
    writePending_[b] = deferred;
    recordChanged_ = false;
    return Stored::Written;
}

void RecordEditorLogic::reportSaveFailure(WriteError cause, const PhoneBase* base) {
    std::string text;
    if (base != nullptr) text = base->path + "\n";
    text += t::kSaveFailed;
    if (cause != WriteError::None) text += std::string("\n") + writeErrorText(cause);
    prompts_.tell(PromptIcon::Error, t::kProgramCaption, text.c_str());
}

// ---- closing

std::optional<EditorCloseResult> RecordEditorLogic::close() {
    if (!offerToSave()) return std::nullopt;
    return writeAndFinish(true);
}

EditorCloseResult RecordEditorLogic::closeUnasked() {
    return writeAndFinish(false);
}

EditorCloseResult RecordEditorLogic::writeAndFinish(bool reportFailures) {
    EditorCloseResult result;
    result.recordsAddedOrRemoved = recordsAddedOrRemoved_;
    for (int b = 0; b < set_.count() && b < kMaxFiles; ++b) {
        const size_t i = static_cast<size_t>(b);
        if (fileChanged_[i]) result.changedBases.push_back(b);
        PhoneBase* base = baseAt(b);
        if (!writePending_[i] || base == nullptr) continue;
        WriteError cause = WriteError::None;
        if (saveBase(*base, kMaskWriteOnly, &cause)) {
            writePending_[i] = false;
        } else {
            result.unsavedBases.push_back(b);
            if (reportFailures) reportSaveFailure(cause, base);
        }
    }
    // The hits name records by number, and numbers moved.
    if (recordsAddedOrRemoved_) search_.interrupt(searchStopLimit_);
    return result;
}

} // namespace talsk
