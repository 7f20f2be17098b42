#pragma once
// Worker threads reach widgets by queued calls only: postToThreadOf(receiver,
// f) runs f later on receiver's thread, and not at all once receiver is gone.

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace talsk {

template <class F> void postToThreadOf(QObject* receiver, F f) {
    if (receiver == nullptr) return;
#if defined(__SANITIZE_THREAD__)
    // Qt's event queue hands the call over under a lock ThreadSanitizer does
    // not see (Qt is not built with it): the pair below says what that lock
    // does, so that only a real race of the call's data is reported.
    auto call = std::make_shared<F>(std::move(f));
    __tsan_release(call.get());
    QMetaObject::invokeMethod(
        receiver,
        [call] {
            __tsan_acquire(call.get());
            (*call)();
        },
        Qt::QueuedConnection);
#else
    QMetaObject::invokeMethod(receiver, std::move(f), Qt::QueuedConnection);
#endif
}

} // namespace talsk
