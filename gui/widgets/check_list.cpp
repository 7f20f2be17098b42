#include "gui/widgets/check_list.h"

#include "gui/widgets/accessibility.h"
#include "gui/widgets/check_list_accessible.h"
#include "gui/widgets/stock_font.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace talsk {

CheckList::CheckList(QWidget* parent) : QListWidget(parent) {
    installAccessibility();
    connect(this, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { notifyCheckChanged(*this, row(item)); });
    setFont(stockFont());
    setUniformItemSizes(true);
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Sunken);
}

void CheckList::addCheckItem(const QString& text) {
    auto* entry = new QListWidgetItem(text, this);
    entry->setFlags(entry->flags() | Qt::ItemIsUserCheckable);
    entry->setCheckState(Qt::Unchecked);
}

void CheckList::setCheck(int item, bool checked) {
    if (QListWidgetItem* entry = this->item(item))
        entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool CheckList::getCheck(int item) const {
    const QListWidgetItem* entry = this->item(item);
    return entry != nullptr && entry->checkState() == Qt::Checked;
}

void CheckList::runCommand(int command) {
    const int n = count();
    for (int i = 0; i < n; ++i) {
        if (command == kCheckAll)
            setCheck(i, true);
        else if (command == kClearAll)
            setCheck(i, false);
        else if (command == kInvertAll)
            setCheck(i, !getCheck(i));
    }
}

void CheckList::contextMenuEvent(QContextMenuEvent* event) {
    static const struct {
        int command;
        const char* text;
    } kItems[] = {
        {kCheckAll, "Выделить все"},
        {kClearAll, "Снять выделение"},
        {kInvertAll, "Инвертировать"},
    };
    QMenu menu(this);
    for (const auto& item : kItems) {
        const int command = item.command;
        menu.addAction(QString::fromUtf8(item.text), this,
                       [this, command] { runCommand(command); });
    }
    menu.exec(event->globalPos());
}

} // namespace talsk
