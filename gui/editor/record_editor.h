#pragma once
// RecordEditor: the modal window "Редактирование" that shows one record of
// one table of one connected file at a time. The rules live in
// RecordEditorLogic; this class binds the controls to it and asks its
// questions in message boxes.

#include "edit/record_editor_logic.h"

#include <QDialog>
#include <QPointer>

#include <array>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;

namespace talsk {

class FindDialog;
class ImageButton;

// EditorPrompts shown as message boxes with the program's texts.
class MessageBoxPrompts : public EditorPrompts {
public:
    explicit MessageBoxPrompts(QWidget* parent) : parent_(parent) {}
    PromptAnswer ask(const char* caption, const char* text, PromptButtons buttons) override;
    void tell(PromptIcon icon, const char* caption, const char* text) override;

    // A modeless window kept out of the way while a box is up (the editor's
    // find dialog would cover its questions).
    void setCompanion(QWidget* companion) { companion_ = companion; }
    QWidget* companion() const { return companion_; }

private:
    QWidget* parent_;
    QPointer<QWidget> companion_;
};

// Hides a visible window for its lifetime and shows it again at the end;
// nested guards leave the showing to the outermost.
class HiddenWhile {
public:
    explicit HiddenWhile(QWidget* window);
    ~HiddenWhile();
    HiddenWhile(const HiddenWhile&) = delete;
    HiddenWhile& operator=(const HiddenWhile&) = delete;

private:
    QPointer<QWidget> window_;
};

class RecordEditor : public QDialog {
    Q_OBJECT

public:
    RecordEditor(SearchSession& search, ProgramSettings& settings, const EditorStart& start,
                 QWidget* parent = nullptr);
    ~RecordEditor() override;

    // Set once "Выход" (or the window's close) was allowed.
    const std::optional<EditorCloseResult>& closeResult() const { return result_; }
    const RecordEditorLogic& logic() const { return logic_; }

    // "Выход", Esc and the window's close (QDialog routes it here): closes
    // only when the logic allows.
    void reject() override;
    // The program is ending: closes without questions, writing the records
    // stored so far (see RecordEditorLogic::closeUnasked).
    void closeNow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void fillFiles();
    void relabel(TableKind kind);
    void showFromLogic(); // every control from the logic's position and record
    void updateButtons();
    void refreshTrackBar();
    void trackMoved();                // the record at the track bar's position
    void keepOneLine(QLineEdit* box); // pasted tabs and line breaks become blanks
    void typed();
    void goToMode();
    // The record number in the box: the typed one in go-to mode (nullopt
    // after saying it is no integer), else the shown record's.
    std::optional<int32_t> boundNumber();
    void saveClicked();
    void saveAsClicked(); // "Сохранить как...": into another or a new file
    void removeClicked();
    void openFind();
    void updateFindButton(); // "Найти" brings back a find dialog that is not in front
    void findDataChanged();  // the open find dialog searches again after a change
    int comboIndexOf(int base) const;
    RecordFields readBoxes() const;

    MessageBoxPrompts prompts_;
    RecordEditorLogic logic_;
    SearchSession& search_;
    BaseSet& set_;
    ProgramSettings& settings_;
    std::optional<EditorCloseResult> result_;
    bool goTo_ = false;
    std::vector<int> comboBases_; // base index per combo entry; kNoBase last
    std::array<QRadioButton*, 3> kinds_{};
    QComboBox* files_ = nullptr;
    std::array<QLineEdit*, 8> boxes_{}; // by slot, 1..7
    std::array<QLabel*, 8> labels_{};
    QLineEdit* number_ = nullptr;
    QSlider* track_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* saveAs_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* exit_ = nullptr;
    QPushButton* find_ = nullptr;
    ImageButton* copy_ = nullptr;
    ImageButton* paste_ = nullptr;
    QPointer<FindDialog> findDialog_;     // one at a time; "Найти" raises it
    const QObject* findWindow_ = nullptr; // the same, for its events
    TableKind findKind_ = TableKind::Population;
    uint32_t seenChanges_ = 0; // the logic's data changes the find dialog knows of
};

// Runs the editor modally; the result says what the main window refreshes.
EditorCloseResult runRecordEditor(QWidget* parent, SearchSession& search, ProgramSettings& settings,
                                  const EditorStart& start);

} // namespace talsk
