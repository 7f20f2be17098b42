#pragma once
// What a merge's worker thread shares with its dialog. The worker owns a
// reference to the job, so that a dialog that stops waiting for it (or goes
// away) leaves it nothing dangling: calls to a dialog that is gone are dropped.

#include "gui/widgets/queued_call.h"
#include "tools/merge.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace talsk {

struct MergeJob {
    std::vector<MergeSource> sources;
    std::string destination;
    MergeOptions options;
    std::atomic<bool> cancel{false};

    explicit MergeJob(QObject* d) : dialog_(d) {}

    // Queues f on the dialog's thread, unless the dialog let the job go.
    template <class F> void post(F f) {
        std::lock_guard<std::mutex> lock(mutex_);
        postToThreadOf(dialog_, std::move(f));
    }
    // The dialog no longer listens; the worker stops at its next check.
    void detach() {
        cancel = true;
        std::lock_guard<std::mutex> lock(mutex_);
        dialog_ = nullptr;
    }

    // The dialog's answer to a source that did not load, waited for while
    // the cancel flag stays clear.
    struct Answer {
        std::mutex mutex;
        std::condition_variable ready;
        bool given = false;
        SourceAnswer answer = SourceAnswer::Abort;
        std::string fileKey;
    };
    SourceAnswer wait(Answer& a, std::string& fileKey) {
        std::unique_lock<std::mutex> lock(a.mutex);
        while (!a.given) {
            if (cancel) return SourceAnswer::Abort;
            a.ready.wait_for(lock, std::chrono::milliseconds(50));
        }
        fileKey = a.fileKey;
        return a.answer;
    }

private:
    std::mutex mutex_;
    QObject* dialog_;
};

} // namespace talsk
