#pragma once
// The "Журнал поиска" dialog: the logged searches by fields, oldest first,
// with when they ran and what they found; one or more are chosen, joined
// with "или" or "и", to go back into the field search panel.

#include "base/settings.h"
#include "search/search_engine.h"
#include "search/search_log.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QRadioButton;

namespace talsk {

class CPhoneGrid;

// What the dialog's OK hands to the field search panel.
struct SearchLogChoice {
    FieldQueryText query; // the chosen entries joined field by field
    bool search = false;  // "Поиск" was pressed: search at once
};

// Opens the log at position (the row selected when 0 < position < count,
// else the newest). Returns the first chosen entry, or -1 when closed without
// a choice; choice, when given, receives the joined query. The dialog's
// place goes into settings.searchLogRect; "Очистить" empties log.
int runSearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings, int position,
                       SearchLogChoice* choice = nullptr);

class SearchLogDialog : public QDialog {
    Q_OBJECT
public:
    SearchLogDialog(QWidget* parent, SearchLog& log, ProgramSettings& settings, int position);
    ~SearchLogDialog() override;

    // Entries of the selected rows in row order.
    std::vector<int> selectedEntries() const;
    bool searchRequested() const { return search_; }
    char joinOperator() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fillRows();
    void selectionChanged();
    void choose(bool search);
    void clearAll();
    void fitColumns();
    void placeWindow();

    SearchLog& log_;
    ProgramSettings& settings_;
    bool search_ = false;
    CPhoneGrid* grid_ = nullptr; // the results grid's control, cells pointing into the log
    QLabel* stamp_ = nullptr;    // when the chosen search ran
    QLabel* position_ = nullptr; // the selected rows of how many
    QPushButton* clear_ = nullptr;
    QRadioButton* orJoin_ = nullptr;
    QRadioButton* andJoin_ = nullptr;
};

} // namespace talsk
