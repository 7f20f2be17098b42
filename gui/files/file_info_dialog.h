#pragma once
// The "Информация" dialog: the connected files with the set's totals, and
// per file its counts, dates, key notice, status and compression.

#include "base/base_set.h"

#include <QDialog>

class QLabel;
class QListWidget;

namespace talsk {

class FileInfoPanel;

class FileInfoDialog : public QDialog {
    Q_OBJECT

public:
    FileInfoDialog(const BaseSet& set, QWidget* parent = nullptr);

private:
    void showBase(int row);

    const BaseSet& set_;
    QListWidget* list_ = nullptr;
    FileInfoPanel* panel_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* total_ = nullptr;
    QLabel* ratio_ = nullptr;
};

} // namespace talsk
