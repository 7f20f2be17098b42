#include "gui/search/search_area_dialog.h"

#include "gui/widgets/dialog_layout.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/file_check_list.h"
#include "gui/widgets/text.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <span>

namespace talsk {

namespace {

// The dialog with its header and an empty list; the caller fills and runs it.
struct AreaDialog {
    QDialog dialog;
    FileCheckList* list = nullptr;

    AreaDialog(QWidget* parent, const char* headerText) : dialog(parent) {
        dialog.setWindowTitle(QStringLiteral("Область поиска"));
        const DialogUnits u = dialogUnits(dialog);
        auto* header = new QLabel(QString::fromUtf8(headerText));
        header->setObjectName(QStringLiteral("header"));
        list = new FileCheckList;
        header->setBuddy(list);
        // The list keeps 18 by above and 30 by below it.
        auto* top = new QVBoxLayout;
        top->setContentsMargins(u.x(8), u.y(6), u.x(8), u.y(3));
        top->addWidget(header);
        QHBoxLayout* bottom = okCancelRow(dialog);
        bottom->setContentsMargins(u.x(8), u.y(4), u.x(8), u.y(4));
        layOutAroundList(dialog, list, top, 18, bottom, 30);
        dialog.resize(u.x(400), u.y(220));
    }

    bool run() {
        if (list->count() > 0) list->setCurrentRow(0);
        return dialog.exec() == QDialog::Accepted;
    }
};

struct FieldItem {
    const char* text;
    RecordField field;
};

constexpr FieldItem kTableFields[] = {
    {"Комментарий", RecordField::Comment}, {"Фамилия", RecordField::Name},
    {"Улица", RecordField::Street},        {"Дом", RecordField::House},
    {"Квартира", RecordField::Unit},       {"Организация", RecordField::Organization},
    {"Телефон", RecordField::Phone}};
constexpr FieldItem kCityCodeFields[] = {{"Комментарий", RecordField::Comment},
                                         {"Город", RecordField::Name},
                                         {"Справочная", RecordField::Street},
                                         {"Код города", RecordField::Phone}};

uint8_t& flagOf(FieldSelection& fields, RecordField f) {
    return fields[static_cast<size_t>(f) - 1];
}

} // namespace

bool runSearchAreaFilesDialog(QWidget* parent, const BaseSet& set, FileMask& mask) {
    AreaDialog area(parent, "Укажите файлы для поиска:");
    FileCheckList& list = *area.list;
    const size_t shown = std::min(set.bases.size(), mask.size());
    for (size_t i = 0; i < shown; ++i)
        addCheckItem(list, fromNativePath(set.bases[i].path), mask[i] == 1,
                     QByteArray::fromStdString(set.bases[i].path));
    if (!area.run()) return false;
    for (int row = 0; row < list.count(); ++row) {
        const std::string path = list.item(row)->data(Qt::UserRole).toByteArray().toStdString();
        const int base = findBase(set, path);
        if (base != kNoBase && static_cast<size_t>(base) < mask.size())
            mask[static_cast<size_t>(base)] = isItemChecked(list, row) ? 1 : 0;
    }
    return true;
}

bool runSearchAreaFieldsDialog(QWidget* parent, FieldSelection& fields, TableKind kind) {
    AreaDialog area(parent, "Укажите поля для поиска:");
    const std::span<const FieldItem> items = kind == TableKind::CityCodes
                                                 ? std::span<const FieldItem>(kCityCodeFields)
                                                 : std::span<const FieldItem>(kTableFields);
    for (const FieldItem& item : items)
        addCheckItem(*area.list, QString::fromUtf8(item.text), flagOf(fields, item.field) == 1);
    if (!area.run()) return false;
    fields = {};
    for (size_t row = 0; row < items.size(); ++row)
        if (isItemChecked(*area.list, int(row))) flagOf(fields, items[row].field) = 1;
    return true;
}

} // namespace talsk
