#pragma once
// GeneralSearchBar: one text searched in every field, with a drop-down
// history of earlier texts and the number of records found.

#include "gui/mainwindow/background_search.h"
#include "gui/mainwindow/search_host.h"
#include "search/search_history.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace talsk {

class GeneralSearchBar : public QWidget {
    Q_OBJECT

public:
    GeneralSearchBar(SearchHost& host, QWidget* parent = nullptr);

    // The history list from the log's history block, and back into it.
    void loadHistory(SearchLog& log);
    void saveHistory(SearchLog& log) const;
    void clearText();
    void schedule(bool stop) { background_.schedule(stop); }
    void clearFoundCounter() { found_->setText("Найдено -"); }
    void showFound(int32_t n);
    void generalSearchNow();

    QComboBox* combo() const { return combo_; }
    QString foundText() const { return found_->text(); }
    QSize sizeHint() const override;
    // The button, room for a short text and the counter; no minimum of the
    // widget, so that the window may still shrink and the bar move to a row
    // of its own.
    int leastWidth() const;
    BackgroundSearch& background() { return background_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::string text() const; // Windows-1251, at most 100 characters
    void addToHistory(const std::string& text);
    void escape();
    int findWidth() const;
    int foundWidth() const;

    SearchHost& host_;
    BackgroundSearch background_;
    SearchHistory history_;
    double bx_ = 1, by_ = 1;
    QPushButton* find_;
    QComboBox* combo_;
    QLabel* found_;
};

} // namespace talsk
