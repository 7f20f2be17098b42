#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

#include <memory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace talsk {

namespace {

constexpr char kActivate[] = "activate\n";
// "open", each file percent-encoded on a line of its own, "end".
constexpr char kOpen[] = "open\n";
constexpr char kEnd[] = "end\n";

bool send(const QString& name, const QByteArray& message, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(message);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.waitForDisconnected(timeoutMs);
    return sent;
}

// The files of a whole "open" message; false while it is not whole yet.
bool openedFiles(const QByteArray& message, QStringList& files) {
    if (!message.startsWith(kOpen) || !message.endsWith(kEnd)) return false;
    const QList<QByteArray> lines = message.split('\n');
    // "open", the files, "end" and the empty piece after the last line break.
    for (qsizetype i = 1; i + 2 < lines.size(); ++i)
        files.append(QString::fromUtf8(QByteArray::fromPercentEncoding(lines[i])));
    return true;
}

} // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_.nextPendingConnection()) {
            // A message may come in pieces: it is acted on once whole.
            auto received = std::make_shared<QByteArray>();
            connect(s, &QLocalSocket::readyRead, this, [this, s, received] {
                received->append(s->readAll());
                QStringList files;
                if (openedFiles(*received, files)) {
                    Q_EMIT activationRequested();
                    Q_EMIT filesHanded(files);
                } else if (received->startsWith(kOpen) || QByteArray(kOpen).startsWith(*received)) {
                    return; // more to come
                } else if (received->contains(kActivate)) {
                    Q_EMIT activationRequested();
                } else if (QByteArray(kActivate).startsWith(*received)) {
                    return;
                }
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
    if (!server_.listen(name_)) {
        // Some Windows hosts cannot give a pipe a user-only access list;
        // without a server a second start could not reach this copy.
        server_.setSocketOptions(QLocalServer::NoOptions);
        server_.listen(name_);
    }
    return true;
}

bool SingleInstance::activateRunning(int timeoutMs) const {
    return send(name_, kActivate, timeoutMs);
}

bool SingleInstance::handFilesToRunning(const QStringList& files, int timeoutMs) const {
    QByteArray message(kOpen);
    for (const QString& file : files)
        message.append(file.toUtf8().toPercentEncoding()).append('\n');
    message.append(kEnd);
    return send(name_, message, timeoutMs);
}

} // namespace talsk
