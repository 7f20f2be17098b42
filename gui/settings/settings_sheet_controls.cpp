#include "gui/settings/settings_sheet_controls.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QValidator>

namespace talsk {

namespace {

// Limits what the user types, not what the program sets.
class LengthLimit : public QValidator {
public:
    LengthLimit(int maxChars, QObject* parent) : QValidator(parent), max_(maxChars) {}
    State validate(QString& input, int&) const override {
        return input.size() <= max_ ? Acceptable : Invalid;
    }

private:
    int max_;
};

QToolButton* arrowButton(Qt::ArrowType arrow, int height) {
    auto* b = new QToolButton;
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(height * 3 / 2, height / 2);
    return b;
}

} // namespace

SpinEdit::SpinEdit(const sheet::NumericEdit& limits, QWidget* parent)
    : QWidget(parent), limits_(limits) {
    setObjectName(QString("id%1").arg(limits.spin));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QString("id%1").arg(limits.control));
    edit_->setValidator(new LengthLimit(limits.maxChars, edit_));
    edit_->installEventFilter(this);
    const QFontMetrics fm(edit_->font());
    edit_->setFixedWidth(fm.horizontalAdvance(QString(limits.maxChars + 1, QChar('0'))) + 12);
    const int h = edit_->sizeHint().height();
    auto* up = arrowButton(Qt::UpArrow, h);
    auto* down = arrowButton(Qt::DownArrow, h);
    connect(up, &QToolButton::clicked, this, [this] { step(1); });
    connect(down, &QToolButton::clicked, this, [this] { step(-1); });
    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(edit_);
    row->addLayout(arrows);
    setFocusProxy(edit_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

std::string SpinEdit::text() const {
    return edit_->text().toStdString();
}

void SpinEdit::setText(const std::string& text) {
    edit_->setText(QString::fromStdString(text));
}

void SpinEdit::step(int delta) {
    if (!isEnabled()) return;
    setText(sheet::stepSpin(text(), delta, limits_.low, limits_.high));
    edit_->selectAll();
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QCheckBox* sheetCheckBox(int control, const char* text) {
    auto* box = new QCheckBox(QString::fromUtf8(text));
    box->setObjectName(QString("id%1").arg(control));
    return box;
}

QLabel* addTabbedText(QGridLayout& grid, int row, const QString& text, int lastSpan) {
    const QStringList parts = text.split('\t', Qt::SkipEmptyParts);
    QLabel* label = nullptr;
    for (int column = 0; column < parts.size(); ++column) {
        label = new QLabel(parts[column].trimmed());
        grid.addWidget(label, row, column, 1, column + 1 == parts.size() ? lastSpan : 1);
    }
    return label;
}

} // namespace talsk
