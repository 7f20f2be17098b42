// The record editor's questions and messages as message boxes.

#include "gui/editor/record_editor.h"
#include "gui/widgets/app_texts.h"
#include "gui/widgets/text.h"

#include <QMessageBox>

namespace talsk {

namespace {
QString captionOf(const char* caption) {
    if (caption == nullptr || caption[0] == '\0') return fromUtf8(kAppTitle);
    return fromUtf8(caption);
}
} // namespace

HiddenWhile::HiddenWhile(QWidget* window) {
    if (window != nullptr && window->isVisible()) {
        window_ = window;
        window->hide();
    }
}

HiddenWhile::~HiddenWhile() {
    if (window_) window_->show();
}

PromptAnswer MessageBoxPrompts::ask(const char* caption, const char* text, PromptButtons buttons) {
    const HiddenWhile hidden(companion_);
    const bool cancel = buttons == PromptButtons::YesNoCancel;
    const auto answer = QMessageBox::question(
        parent_, captionOf(caption), QString::fromUtf8(text),
        QMessageBox::Yes | QMessageBox::No | (cancel ? QMessageBox::Cancel : QMessageBox::NoButton),
        QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return PromptAnswer::Yes;
    if (answer == QMessageBox::No) return PromptAnswer::No;
    // Esc: Cancel where offered, else No.
    return cancel ? PromptAnswer::Cancel : PromptAnswer::No;
}

void MessageBoxPrompts::tell(PromptIcon icon, const char* caption, const char* text) {
    const HiddenWhile hidden(companion_);
    QMessageBox::Icon i = QMessageBox::Information;
    switch (icon) {
    case PromptIcon::Information:
        i = QMessageBox::Information;
        break;
    case PromptIcon::Warning:
        i = QMessageBox::Warning;
        break;
    case PromptIcon::Error:
        i = QMessageBox::Critical;
        break;
    case PromptIcon::Question:
        i = QMessageBox::Question;
        break;
    }
    QMessageBox box(i, captionOf(caption), QString::fromUtf8(text), QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace talsk
