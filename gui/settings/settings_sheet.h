#pragma once
// COptionsSheet "Настройки": the five pages over a copy of the settings. The
// copy is returned only when the sheet closes with OK and every page took
// its controls; a refused edit keeps the sheet open on its page.

#include "base/settings.h"

#include <QDialog>

#include <array>
#include <optional>

class QTabWidget;

namespace talsk {

class COptionsPageBase;
class KeyStore;

class COptionsSheet : public QDialog {
    Q_OBJECT

public:
    // keys: the store the last page's button empties at once.
    COptionsSheet(const ProgramSettings& settings, const KeyStore& keys, QWidget* parent = nullptr);

    const ProgramSettings& copy() const { return copy_; }
    QTabWidget* tabs() const { return tabs_; }
    void accept() override;

private:
    // The page's controls into the copy; false (after the message) when refused.
    bool storePage(int index, ProgramSettings& into);
    void pageChanged(int index);
    void restoreAll();

    ProgramSettings copy_;
    QTabWidget* tabs_ = nullptr;
    std::array<COptionsPageBase*, 5> pages_{};
    int shown_ = 0;
};

// Modal; the sheet's copy after OK, nothing after Cancel.
std::optional<ProgramSettings> runSettingsSheet(QWidget* parent, const ProgramSettings& settings,
                                                const KeyStore& keys);

} // namespace talsk
