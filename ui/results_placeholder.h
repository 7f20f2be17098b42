#pragma once
// Stands in for the results table: shows how many rows a search gave.

#include "ui/results_view.h"

#include <QLabel>

namespace talsk {

class ResultsPlaceholder : public ResultsView {
public:
    explicit ResultsPlaceholder(QWidget* parent);

    QWidget* widget() override { return label_; }
    void fillRows(const BaseSet& set, const SearchState& state, int n) override;
    void clearRows() override;
    int rowCount() const override { return rows_; }
    void setKindColumns(TableMask m) override { kind_ = m; }
    void setGridLines(bool) override {}

private:
    void show();

    QLabel* label_;
    int rows_ = 0;
    TableMask kind_ = 0;
};

} // namespace talsk
