#include "gui/search/nothing_found_dialog.h"

#include "gui/widgets/dialog_units.h"
#include "platform/cp1251.h"

#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

namespace talsk {

namespace {

// The list of names, as high as its rows (ten at most).
QListWidget* similarList(const std::vector<SimilarName>& names) {
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("similar"));
    for (const SimilarName& n : names)
        list->addItem(QStringLiteral("%1 (%2)")
                          .arg(QString::fromStdString(cp1251ToUtf8(n.name)))
                          .arg(n.records));
    const int rows = list->count();
    list->setMinimumHeight(rows * list->sizeHintForRow(0) + 2 * list->frameWidth());
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

} // namespace

int runNothingFoundDialog(QWidget* parent, ProgramSettings& settings,
                          const std::vector<SimilarName>& names, NameSource source) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Результат поиска ..."));
    const DialogUnits u = dialogUnits(dialog);

    auto* icon = new QLabel;
    const int side = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &dialog);
    icon->setPixmap(
        dialog.style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(side, side));
    auto* text = new QLabel(QStringLiteral("Ничего не найдено !!!"));
    auto* dontShow = new QCheckBox(QStringLiteral("Не выводить это сообщение в дальнейшем"));
    dontShow->setObjectName(QStringLiteral("dontShow"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);

    auto* layout = new QGridLayout(&dialog);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setHorizontalSpacing(u.x(10));
    layout->setVerticalSpacing(u.y(8));
    layout->addWidget(icon, 0, 0);
    layout->addWidget(text, 0, 1);
    layout->setColumnStretch(1, 1);
    int row = 1;
    int chosen = -1;
    if (!names.empty()) {
        auto* heading =
            new QLabel(source == NameSource::Surnames ? QStringLiteral("Похожие фамилии:")
                                                      : QStringLiteral("Похожие названия:"));
        QListWidget* list = similarList(names);
        heading->setBuddy(list);
        const auto choose = [&chosen, &dialog, list](QListWidgetItem* item) {
            chosen = list->row(item);
            dialog.accept();
        };
        // Enter on a row activates it; the default button's click then finds
        // the choice made.
        QObject::connect(list, &QListWidget::itemClicked, &dialog, choose);
        QObject::connect(list, &QListWidget::itemActivated, &dialog, choose);
        layout->addWidget(heading, row++, 0, 1, 2);
        layout->addWidget(list, row++, 0, 1, 2);
    }
    layout->addWidget(dontShow, row++, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons, row, 0, 1, 2);
    dialog.setFixedSize(dialog.sizeHint());

    dialog.exec();
    if (dontShow->isChecked()) settings.notFoundMessage = 0;
    return chosen;
}

} // namespace talsk
