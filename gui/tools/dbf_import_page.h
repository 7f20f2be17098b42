#pragma once
// One page of the dBASE import window: the file of one target table, the
// column of each field (joined with up to two more), and the cells to skip.

#include "tools/dbf_import.h"

#include <QWidget>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace talsk {

class DbfImportPage : public QWidget {
    Q_OBJECT
public:
    DbfImportPage(TableKind kind, QWidget* parent = nullptr);

    TableKind kind() const { return kind_; }
    bool valid() const { return valid_; }
    const std::string& path() const { return table_.path; }

    // Reads the table's header. Quietly only a damaged file is reported;
    // a file the user chose reports every failure. A table that ends invalid
    // is reset.
    void readFile(const std::string& path, bool chosen);
    // The user's choice from the open dialog; an empty path is a cancel.
    void chose(const std::string& path);
    // Forgets the file and empties the lists.
    void reset();
    // The mapping as the controls hold it; no path when the table is invalid.
    DbfTableJob collect() const;

Q_SIGNALS:
    void chooseClicked();

private:
    struct Row {
        int slot = 0;
        QComboBox* column[3] = {};
        QLineEdit* separator[2] = {};
    };
    void fillLists();
    void applyMapping(const DbfTableJob& job);
    void joinToggled();

    TableKind kind_;
    DbfTable table_;
    bool valid_ = false;
    QLabel* path_ = nullptr;
    QCheckBox* join_ = nullptr;
    QLineEdit* skip_ = nullptr;
    std::vector<Row> rows_;
};

} // namespace talsk
