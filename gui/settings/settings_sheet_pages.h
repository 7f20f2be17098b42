#pragma once
// The five pages of "Настройки", in tab order.

#include "gui/settings/settings_sheet_controls.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace talsk {

class KeyStore;

// The page "Общее".
class COptionsPage1 : public COptionsPageBase {
    Q_OBJECT

public:
    explicit COptionsPage1(QWidget* parent = nullptr);
    void load(const ProgramSettings& s) override;
    std::optional<sheet::Refusal> store(ProgramSettings& s) const override;

Q_SIGNALS:
    // "Восстановить все настройки": the sheet resets its copy and reloads every page.
    void restoreAllRequested();

private:
    QCheckBox *remember_, *confirmExit_, *singleInstance_, *latin_;
    SpinEdit* capacity_;
    QComboBox* startFocus_;
};

// The page "Поиск".
class COptionsSearch : public COptionsPageBase {
    Q_OBJECT

public:
    explicit COptionsSearch(QWidget* parent = nullptr);
    void load(const ProgramSettings& s) override;
    std::optional<sheet::Refusal> store(ProgramSettings& s) const override;

private:
    QCheckBox *background_, *spaces_;
    SpinEdit* delay_;
};

// The page "Результаты поиска".
class COptionsSResult : public COptionsPageBase {
    Q_OBJECT

public:
    explicit COptionsSResult(QWidget* parent = nullptr);
    void load(const ProgramSettings& s) override;
    std::optional<sheet::Refusal> store(ProgramSettings& s) const override;

private:
    std::array<std::string, 5> percents() const;
    void showTotal();
    void enableWidths();

    std::array<SpinEdit*, 5> widths_{};
    QLabel* total_;
    QCheckBox *auto_, *message_, *clear_, *tracking_;
};

// The page "Редактирование".
class COptionsEdit : public COptionsPageBase {
    Q_OBJECT

public:
    explicit COptionsEdit(QWidget* parent = nullptr);
    void load(const ProgramSettings& s) override;
    std::optional<sheet::Refusal> store(ProgramSettings& s) const override;

private:
    QCheckBox *confirmSave_, *duplicates_, *askToSave_, *saveOnClose_;
};

// The page "Подключаемые файлы". Its button empties the key store at
// once, whatever becomes of the sheet.
class COptionsLoaded : public COptionsPageBase {
    Q_OBJECT

public:
    COptionsLoaded(const KeyStore& keys, QWidget* parent = nullptr);
    void load(const ProgramSettings& s) override;
    std::optional<sheet::Refusal> store(ProgramSettings& s) const override;

private:
    void forgetKeys();

    const KeyStore& keys_;
    QCheckBox *removeMissing_, *autoKeys_, *folderFiles_, *loadErrors_, *readOnly_;
};

} // namespace talsk
