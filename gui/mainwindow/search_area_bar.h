#pragma once
// SearchAreaBar: which files and which tables are searched. The main window
// fills its two lists and reads them back.

#include <QComboBox>
#include <QWidget>

#include <string>
#include <vector>

namespace talsk {

class SearchAreaBar : public QWidget {
    Q_OBJECT

public:
    explicit SearchAreaBar(QWidget* parent = nullptr);

    QComboBox* files() const { return files_; }   // the files searched
    QComboBox* tables() const { return tables_; } // the tables searched
    // Replaces a list's items (UTF-8) and selects item 0.
    static void fill(QComboBox* list, const std::vector<std::string>& items);
    static std::string selectedText(const QComboBox* list);

Q_SIGNALS:
    // The user chose another item.
    void filesChanged();
    void tablesChanged();

private:
    QComboBox* files_;
    QComboBox* tables_;
};

} // namespace talsk
