#pragma once
// Checks that nothing happens without waiting a fixed time for it: the event
// loop runs what it holds, up to a marker posted behind it.

#include <QCoreApplication>
#include <QMetaObject>
#include <QTest>

namespace talsk::test {

// Runs every event posted so far (a queued call made before this one has run
// on return). False when the marker did not come round within five seconds.
[[nodiscard]] inline bool runPostedEvents() {
    bool reached = false;
    QMetaObject::invokeMethod(
        qApp, [&reached] { reached = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&reached] { return reached; }, 5000);
}

} // namespace talsk::test
