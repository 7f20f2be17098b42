#include "app/recovery_notices.h"

#include "gui/widgets/queued_call.h"
#include "gui/widgets/text.h"
#include "platform/journal.h"

#include <QStatusBar>

#include <cstdio>

namespace talsk {

namespace {

constexpr int kShownFor = 20000; // ms: long enough to be read after a load

QString noticeOf(const std::string& path, Recovery what) {
    const QString name = fromNativePath(path);
    return what == Recovery::RolledBack
               ? QStringLiteral("Прерванная запись отменена, файл восстановлен: %1").arg(name)
               : QStringLiteral("Прерванную запись отменить не удалось: %1").arg(name);
}

} // namespace

RecoveryNotices::RecoveryNotices() {
    // Files may be opened by workers: the window hears of it on its thread.
    setRecoveryReporter([this](const std::string& path, Recovery what) {
        const QString text = noticeOf(path, what);
        std::fprintf(stderr, "talsk: %s\n", text.toUtf8().constData());
        postToThreadOf(this, [this, text] { add(text); });
    });
}

RecoveryNotices::~RecoveryNotices() {
    setRecoveryReporter(nullptr);
}

void RecoveryNotices::showIn(QMainWindow* window) {
    window_ = window;
    show();
}

void RecoveryNotices::add(const QString& text) {
    shown_.append(text);
    show();
}

void RecoveryNotices::show() {
    if (window_ && !shown_.isEmpty())
        window_->statusBar()->showMessage(shown_.join("; "), kShownFor);
}

} // namespace talsk
