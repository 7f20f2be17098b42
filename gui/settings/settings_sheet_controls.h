#pragma once
// Controls the pages of "Настройки" share: a numeric edit with its up-down
// buttons, check boxes and labels named by control id, and the page base.

#include "base/settings.h"
#include "gui/settings/settings_sheet_rules.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QMessageBox;

namespace talsk {

// An edit that takes at most maxChars characters as typed (a longer text set
// by the program stays whole) and whose up-down buttons and arrow keys step
// it within the spin's range.
class SpinEdit : public QWidget {
    Q_OBJECT

public:
    SpinEdit(const sheet::NumericEdit& limits, QWidget* parent = nullptr);
    QLineEdit* edit() const { return edit_; }
    std::string text() const;
    void setText(const std::string& text);
    void step(int delta);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    sheet::NumericEdit limits_;
    QLineEdit* edit_ = nullptr;
};

// A check box named "id<control>".
QCheckBox* sheetCheckBox(int control, const char* text);
// A label text whose tabs align its parts: each part in the next column of
// row, starting at column 0. Returns the last part's label.
QLabel* addTabbedText(QGridLayout& grid, int row, const QString& text, int lastSpan = 1);

// One page of the sheet: it loads its controls from the sheet's copy and
// writes them back, or names the edit it refuses.
class COptionsPageBase : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;
    virtual void load(const ProgramSettings& s) = 0;
    virtual std::optional<sheet::Refusal> store(ProgramSettings& s) const = 0;
};

} // namespace talsk
