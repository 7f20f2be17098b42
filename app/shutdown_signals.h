#pragma once
// A request from outside to end the program (SIGTERM from a logout or a
// service stop, SIGINT from the terminal, SIGHUP when the terminal goes)
// reaches the window thread as a Qt signal, so the program can close in order
// and write what it holds. The handler itself only writes a byte to a pipe,
// which is all a signal handler may safely do.

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace talsk {

class ShutdownSignals : public QObject {
    Q_OBJECT

public:
    // Installs the handlers; one object at a time.
    explicit ShutdownSignals(QObject* parent = nullptr);
    // Gives the signals back their default action.
    ~ShutdownSignals() override;
    ShutdownSignals(const ShutdownSignals&) = delete;
    ShutdownSignals& operator=(const ShutdownSignals&) = delete;

    // False when the pipe or a handler could not be set up.
    bool installed() const { return installed_; }

Q_SIGNALS:
    // Emitted in the object's thread, once per signal that arrived.
    void requested(int signal);

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> notifier_;
    bool installed_ = false;
};

} // namespace talsk
