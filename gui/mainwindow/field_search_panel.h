#pragma once
// FieldSearchPanel: one input per record field, found and total counters per
// table and five picture buttons; docks on any side of the main window and
// lays itself out in a row (top, bottom) or a column (left, right).

#include "gui/mainwindow/background_search.h"
#include "gui/mainwindow/focus_rules.h"
#include "gui/mainwindow/search_host.h"
#include "search/search_area.h"
#include "search/search_engine.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <array>

class QFrame;

namespace talsk {

class FieldSearchPanel : public QWidget {
    Q_OBJECT

public:
    FieldSearchPanel(SearchHost& host, QWidget* parent = nullptr);

    void relabel(TableMask m);
    // Empties the inputs and the counters ("Очистка").
    void clearFields();
    void showLogEntry(int position);
    void openSearchLog(int position);
    void schedule(bool stop) { background_.schedule(stop); }
    void setRecordInfo(const QString& text) { info_->setText(text); }
    void setTotals(const AreaTotals& totals);
    // The found counters emptied (the hits are stale).
    void clearFoundCounters();
    // The found counters from the session's hits, "-" for none.
    void showFoundCounters();
    // Runs a panel command (search, escape, clear, add, field moves); the
    // others go on to the main window.
    void runCommand(int id);
    void fieldSearchNow(bool focusedFieldOnly);

    void setOrientation(PanelOrientation o);
    PanelOrientation orientation() const { return orientation_; }
    // The size the panel is laid out for; a row may be narrower, down to
    // leastRowWidth, its inputs giving way.
    QSize sizeFor(PanelOrientation o) const;
    int leastRowWidth() const;
    QSize sizeHint() const override { return sizeFor(orientation_); }

    FieldQueryText query() const;
    void setQuery(const FieldQueryText& query);
    // The input of a SearchFocus value 1..7.
    QLineEdit* input(int focus) const { return inputs_[focus]; }
    QString foundText(TableKind k) const { return found_[int(k)]->text(); }
    QString totalText(TableKind k) const { return totals_[int(k)]->text(); }
    BackgroundSearch& background() { return background_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The horizontal row's measures in pixels.
    struct RowMeasures {
        int gap = 0, left = 0;
        int streetText = 0;
        int labelsEnd = 0;      // where the inputs may start
        int inputsLeast = 0;    // the inputs' least width
        int pictureStep = 0;    // from one picture button to the next
        int packedPictures = 0; // the buttons side by side
        int rowText = 0;        // the widest table name of the counters
        int column = 0;         // the "Найдено" column
        int totalColumn = 0;    // the "Всего " column
        int leftLeast(double bx) const;
        int countersLeast(double bx) const;
    };
    RowMeasures rowMeasures() const;
    void fitMinimum();
    void createControls();
    void layOut();
    void escape();
    void addToBase();
    void moveFocus(int from, int (*step)(int, PanelOrientation));
    void nameControls();
    int focusOf(const QObject* o) const;

    SearchHost& host_;
    BackgroundSearch background_;
    PanelOrientation orientation_ = PanelOrientation::Horizontal;
    double bx_ = 1, by_ = 1;
    std::array<QLineEdit*, 8> inputs_{}; // by SearchFocus; 0 unused
    QLabel *comment_, *surname_, *street_, *houseUnit_, *organization_, *phone_;
    QPushButton* clear_;
    std::array<QWidget*, 5> pictures_{};
    std::array<QLabel*, 3> found_{}, totals_{}, rowLabels_{};
    QLabel *foundTitle_, *totalTitle_, *info_;
    QFrame *hLine_, *vLine_;
};

} // namespace talsk
