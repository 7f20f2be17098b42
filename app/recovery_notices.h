#pragma once
// Saves cut short that opening a file undid are told to the user: on standard
// error at once, in the main window's status bar once there is one.

#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QStringList>

namespace talsk {

class RecoveryNotices : public QObject {
public:
    RecoveryNotices(); // reports from here on
    ~RecoveryNotices() override;
    RecoveryNotices(const RecoveryNotices&) = delete;
    RecoveryNotices& operator=(const RecoveryNotices&) = delete;

    // Shows what was told so far, and from then on, in the window's status bar.
    void showIn(QMainWindow* window);

private:
    void add(const QString& text);
    void show();

    QPointer<QMainWindow> window_;
    QStringList shown_;
};

} // namespace talsk
