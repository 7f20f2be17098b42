#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace talsk {

namespace {

constexpr char kActivate[] = "activate\n";

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (s->readAll().contains("activate")) Q_EMIT activationRequested();
                s->disconnectFromServer();
            });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
}

QString SingleInstance::defaultName() {
#ifdef Q_OS_WIN
    // No user number there: the user's name (with its domain) and the
    // session tell users and their sessions apart.
    return nameFor(static_cast<unsigned>(qHash(qEnvironmentVariable("USERDOMAIN") + '\\' +
                                               qEnvironmentVariable("USERNAME"))),
                   {}, {}, qEnvironmentVariable("SESSIONNAME"));
#else
    return nameFor(getuid(), qEnvironmentVariable("DISPLAY"),
                   qEnvironmentVariable("WAYLAND_DISPLAY"), qEnvironmentVariable("XDG_SESSION_ID"));
#endif
}

QString SingleInstance::nameFor(unsigned uid, const QString& x11Display,
                                const QString& waylandDisplay, const QString& sessionId) {
    // ":0" and ":0.0" are one X server: the screen number does not count.
    QString display = x11Display;
    const qsizetype colon = display.lastIndexOf(':');
    const qsizetype dot = display.indexOf('.', colon + 1);
    if (colon >= 0 && dot > colon) display.truncate(dot);
    // The user id keeps two users of one machine apart, the hash two desktop
    // sessions of one user (a copy raised on another display stays unseen).
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QString& part : {display, waylandDisplay, sessionId}) {
        hash.addData(part.toUtf8());
        hash.addData(QByteArrayView("\n", 1));
    }
    return QString("talsk-2000-%1-%2")
        .arg(uid)
        .arg(QString::fromLatin1(hash.result().toHex().left(12)));
}

bool SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(QDir(QDir::tempPath()).filePath(name_ + ".lock"));
    // A lock whose process is gone counts as stale and is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(100)) return false;
    // A socket left by a killed copy would block listening.
    QLocalServer::removeServer(name_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.listen(name_);
    return true;
}

bool SingleInstance::activateRunning(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kActivate);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.waitForDisconnected(timeoutMs);
    return sent;
}

} // namespace talsk
