#pragma once
// The "Поиск" dialog: the record editor's find tool. A general search over
// the chosen fields of the connected files, then a step through the hits,
// each shown by the host.

#include "base/base_set.h"
#include "search/search_session.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace talsk {

// What the dialog needs of the window that hosts it.
struct FindHost {
    std::function<SearchHit()> position;        // the record shown: index, base, kind
    std::function<void(const SearchHit&)> show; // offers to save, then shows the hit
};

class FindDialog : public QDialog {
    Q_OBJECT

public:
    FindDialog(SearchSession& search, FindHost host, QWidget* parent);

    // The host's table kind changed: the field list starts over.
    void resetFields();
    // The host's data changed: the next "Найти" searches again.
    void refresh();

private:
    void fieldChosen();
    void markStale();
    void showStale();
    void findClicked();
    void newSearch(const QString& text);
    void remember(const QString& text);

    SearchSession& search_;
    BaseSet& set_;
    FindHost host_;
    FieldSelection fields_{};
    bool busy_ = false;
    QComboBox* text_ = nullptr;
    QPushButton* ok_ = nullptr;
    QComboBox* fieldList_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QCheckBox* allFiles_ = nullptr;
    QCheckBox* bothTables_ = nullptr;
    QLabel* found_ = nullptr;
};

} // namespace talsk
