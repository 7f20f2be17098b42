#include "ui/results_placeholder.h"

#include <QFrame>

namespace talsk {

ResultsPlaceholder::ResultsPlaceholder(QWidget* parent) : label_(new QLabel(parent)) {
    label_->setObjectName("results");
    label_->setAlignment(Qt::AlignCenter);
    label_->setFrameShape(QFrame::StyledPanel);
    label_->setFocusPolicy(Qt::StrongFocus);
    label_->setAutoFillBackground(true);
    label_->setBackgroundRole(QPalette::Base);
    show();
}

void ResultsPlaceholder::fillRows(const BaseSet&, const SearchState& state, int n) {
    rows_ = std::min<int>(n, static_cast<int>(state.hits.size()));
    show();
}

void ResultsPlaceholder::clearRows() {
    rows_ = 0;
    show();
}

void ResultsPlaceholder::show() {
    label_->setText(rows_ > 0 ? QString("Найдено записей: %1").arg(rows_) : QString());
}

} // namespace talsk
