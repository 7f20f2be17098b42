// The main window's part in printing the results: the line naming the search.

#include "gui/mainwindow/field_search_panel.h"
#include "gui/mainwindow/general_search_bar.h"
#include "gui/mainwindow/main_frame.h"
#include "gui/mainwindow/results_table.h"

#include <QComboBox>
#include <QDate>
#include <QLineEdit>

namespace talsk {

QString CMainFrame::listHeading() const {
    QString search;
    switch (session_.state().kind) {
    case SearchKind::GeneralSearch:
        if (generalBar_)
            search = QStringLiteral("Общий поиск: ") + generalBar_->combo()->currentText();
        break;
    case SearchKind::FieldSearch:
        if (panel_) {
            QStringList fields;
            for (int focus = 1; focus <= 7; ++focus)
                if (const QLineEdit* input = panel_->input(focus);
                    input && !input->text().isEmpty())
                    fields.append(input->text());
            search = QStringLiteral("Поиск по полям: ") + fields.join(QStringLiteral(", "));
        }
        break;
    case SearchKind::AllRecords:
        search = QStringLiteral("Все записи");
        break;
    default:
        break;
    }
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    return search.isEmpty() ? date : search + QStringLiteral("    ") + date;
}

void CMainFrame::printResults() {
    results_->printList(listHeading());
}

} // namespace talsk
