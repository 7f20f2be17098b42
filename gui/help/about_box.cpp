#include "gui/help/about_box.h"

#include "gui/help/about_box_resources.h"
#include "gui/help/about_box_typing.h"
#include "gui/help/licence_dialog.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/icons.h"
#include "gui/widgets/queued_call.h"
#include "gui/widgets/text.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <thread>

namespace talsk {

namespace {

// The picture at the screen's pixel density, so it stays sharp.
QPixmap picture(const QSize& size, qreal ratio) {
    initAboutResources();
    return programPicture(QStringLiteral(":/pictures/about.svg"), size, ratio);
}

} // namespace

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("О программе: ") + fromUtf8(kAppTitle));
    const DialogUnits u = dialogUnits(*this);
    const std::vector<std::string>& lines = aboutLines();

    auto* image = new QLabel;
    image->setObjectName(QStringLiteral("picture"));
    // As tall as the column of lines beside it.
    const int imageHeight = QFontMetrics(font()).lineSpacing() * 11;
    const QSize imageSize(imageHeight * 4 / 5, imageHeight);
    image->setPixmap(picture(imageSize, devicePixelRatioF()));
    image->setFixedSize(imageSize);
    image->setFrameShape(QFrame::StyledPanel);

    // Every line is as wide as its complete text from the start, so the
    // window does not move while the text grows.
    auto* text = new QVBoxLayout;
    text->setSpacing(u.y(2));
    const char* names[] = {"line1", "line2", "line3", "line4", "line5", "line6"};
    int width = 0;
    for (size_t i = 0; i + 1 < lines.size() && i < std::size(names); ++i) {
        auto* label = new QLabel;
        label->setObjectName(QLatin1String(names[i]));
        if (i == 0) {
            QFont bold = label->font();
            bold.setBold(true);
            bold.setPointSizeF(bold.pointSizeF() * 1.2);
            label->setFont(bold);
        }
        const QFontMetrics fm(label->font());
        width = std::max(
            width, fm.horizontalAdvance(fromUtf8(lines[i]) + fromUtf8(std::string(kTypingCursor))));
        label->setMinimumHeight(fm.height());
        labels_.push_back(label);
        text->addWidget(label);
    }
    greeting_ = new QPlainTextEdit;
    greeting_->setObjectName(QStringLiteral("greeting"));
    greeting_->setReadOnly(true);
    greeting_->setFocusPolicy(Qt::NoFocus);
    greeting_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    greeting_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics fm(greeting_->font());
    greeting_->setFixedHeight(fm.lineSpacing() * 3 + u.y(8));
    text->addSpacing(u.y(6));
    text->addWidget(greeting_);
    text->addStretch(1);
    for (QLabel* label : labels_)
        label->setMinimumWidth(width);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* licence = new QPushButton(QStringLiteral("Лицензия"));
    licence->setObjectName(QStringLiteral("licence"));
    connect(licence, &QPushButton::clicked, this, [this] { runLicenceDialog(this); });

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(u.x(10), u.y(10), u.x(10), u.y(8));
    layout->setHorizontalSpacing(u.x(12));
    layout->setVerticalSpacing(u.y(8));
    layout->addWidget(image, 0, 0, Qt::AlignTop);
    layout->addLayout(text, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(u.x(6)); // apart, as in the other dialogs
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(licence);
    layout->addLayout(buttons, 1, 0, 1, 2);
    const int buttonWidth = std::max(ok->sizeHint().width(), licence->sizeHint().width());
    ok->setFixedWidth(buttonWidth);
    licence->setFixedWidth(buttonWidth);
    // Wide enough for the whole caption, with room for the frame's buttons.
    QFont caption = font();
    caption.setBold(true);
    const int captionWidth = QFontMetrics(caption).horizontalAdvance(windowTitle()) + u.x(110);
    setFixedSize(std::max(sizeHint().width(), captionWidth), sizeHint().height());
    ok->setFocus();

    setLine(0, fromUtf8(lines[0]));
    if (!thread_.start([this] { typeLines(); }, &stop_)) showAllLines();
}

AboutBox::~AboutBox() {
    stop_.store(1);
    thread_.release();
}

QString AboutBox::lineText(size_t i) const {
    if (i < labels_.size()) return labels_[i]->text();
    return i == labels_.size() ? greeting_->toPlainText() : QString();
}

void AboutBox::setLine(size_t i, const QString& text) {
    if (i < labels_.size())
        labels_[i]->setText(text);
    else if (i == labels_.size())
        greeting_->setPlainText(text);
}

void AboutBox::showAllLines() {
    const std::vector<std::string>& lines = aboutLines();
    for (size_t i = 0; i < lines.size(); ++i)
        setLine(i, fromUtf8(lines[i]));
}

void AboutBox::typeLines() {
    using namespace std::chrono;
    AboutTyping typing(aboutLines());
    TypingStep step;
    while (stop_.load() == 0 && typing.next(step)) {
        // The widgets belong to the window's thread: the text travels there.
        postToThreadOf(
            this, [this, line = step.line, text = step.text] { setLine(line, fromUtf8(text)); });
        if (stop_.load() != 0) return;
        // Paused in short slices, so a stop is seen within one character.
        const auto until = steady_clock::now() + milliseconds(step.pauseMs);
        while (stop_.load() == 0 && steady_clock::now() < until)
            std::this_thread::sleep_for(
                std::min<steady_clock::duration>(milliseconds(8), until - steady_clock::now()));
    }
}

void AboutBox::done(int result) {
    stop_.store(1);
    if (thread_.held() && !thread_.waitFor(std::chrono::milliseconds(kCloseWaitMs))) {
        // Not stopped yet: close later rather than hold the window up longer.
        if (!closeRetryPending_) {
            closeRetryPending_ = true;
            QTimer::singleShot(10, this, [this, result] {
                closeRetryPending_ = false;
                done(result);
            });
        }
        return;
    }
    thread_.release();
    QDialog::done(result);
}

void AboutBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void AboutBox::mouseMoveEvent(QMouseEvent* event) {
    // The whole box moves as its caption does.
    if (event->buttons() & Qt::LeftButton) move(event->globalPosition().toPoint() - dragOffset_);
    QDialog::mouseMoveEvent(event);
}

void runAboutBox(QWidget* parent) {
    AboutBox box(parent);
    box.exec();
}

} // namespace talsk
