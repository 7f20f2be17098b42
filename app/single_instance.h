#pragma once
// One running copy per user and desktop session: the first copy holds a lock
// file and listens on a local socket; a later copy finds the lock held, asks
// the running copy to come to the front (and to connect the base files it
// was started with) and ends. A copy that was killed
// leaves a stale lock and socket, which the next start takes over.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

namespace talsk {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    // name: the name of lock and socket, one per user and desktop session.
    explicit SingleInstance(QString name, QObject* parent = nullptr);
    // The name for this process's user and desktop session.
    static QString defaultName();
    // The name for user uid on a display (X11 and Wayland) in a login
    // session; empty parts are allowed.
    static QString nameFor(unsigned uid, const QString& x11Display, const QString& waylandDisplay,
                           const QString& sessionId);

    // True when this copy is the first: it then listens for later ones.
    bool claim();
    // From a later copy: asks the running one to come to the front. False
    // when it could not be reached.
    bool activateRunning(int timeoutMs = 3000) const;
    // From a later copy started with base files: the running one connects
    // them (absolute paths) and comes to the front.
    bool handFilesToRunning(const QStringList& files, int timeoutMs = 3000) const;

Q_SIGNALS:
    void activationRequested();
    void filesHanded(const QStringList& files);

private:
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace talsk
