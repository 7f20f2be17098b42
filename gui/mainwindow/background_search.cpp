#include "gui/mainwindow/background_search.h"

#include "gui/widgets/queued_call.h"

#include <QMessageBox>
#include <QPointer>

namespace talsk {

bool searchStoppedFor(QWidget* parent, const SearchPause& pause) {
    if (pause.stopped()) return true;
    tellSearchStillRunning(parent);
    return false;
}

void tellSearchStillRunning(QWidget* parent) {
    QMessageBox::critical(parent, QStringLiteral("Ошибка"), QString::fromUtf8(kSearchStillRunning));
}

BackgroundSearch::BackgroundSearch(SearchHost& host, SearchKind kind, QObject* parent)
    : QObject(parent), host_(host), kind_(kind) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &BackgroundSearch::timerFired);
}

void BackgroundSearch::schedule(bool stop) {
    SearchSession& session = host_.session();
    if (!session.settings()) return;
    if (clearCounters) clearCounters();
    if (session.inputChanged(kind_, stop)) timer_.start(session.backgroundDelayMs());
}

void BackgroundSearch::timerFired() {
    timer_.stop();
    SearchSession& session = host_.session();
    if (!session.backgroundWanted(kind_)) return;
    if (clearCounters) clearCounters();
    SearchRequest request;
    request.kind = kind_;
    if (!fillRequest || !fillRequest(request)) return; // the other side is active
    QPointer<BackgroundSearch> self(this);
    // Runs on the worker's thread: only a queued call reaches the window.
    (void)session.startBackground(request, host_.searchArea(), [self](uint64_t ticket, int32_t) {
        postToThreadOf(self.data(), [self, ticket] {
            if (!self) return;
            const int32_t n = self->host_.session().takeBackground(self->kind_, ticket);
            if (n >= 0) Q_EMIT self->finished(n);
        });
    });
}

} // namespace talsk
