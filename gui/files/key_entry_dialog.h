#pragma once
// The loading "Декодирование" dialog: the keys of several keyed files during loading,
// with the files whose keys are to be remembered checked.

#include "base/loading.h"
#include "gui/widgets/file_check_list.h"

#include <QDialog>
#include <QString>
#include <vector>

class QLabel;
class QLineEdit;

namespace talsk {

// Lists the files (each checked when its remember flag is set) and asks their
// keys. Confirmed: each file's typedKey is the text typed for it (Windows-1251,
// at most 32 characters, empty when none) and remember its check box. Cancelled
// or an empty list: every typedKey empty, remember false. True when confirmed.
bool runKeyEntryDialog(QWidget* parent, std::vector<KeyEntryFile>& files);

class KeyEntryDialog : public QDialog {
    Q_OBJECT
public:
    KeyEntryDialog(QWidget* parent, const std::vector<KeyEntryFile>& files);

    // Copies the typed keys and checks into files (same order as given).
    void takeAnswer(std::vector<KeyEntryFile>& files) const;

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSelected();
    void keepTypedKey();
    int firstWithoutKey() const;

    std::vector<LoadStatus> statuses_;
    std::vector<QString> typed_; // per listed file
    FileCheckList* list_ = nullptr;
    QLineEdit* key_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace talsk
