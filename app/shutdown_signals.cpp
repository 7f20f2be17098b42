#include "app/shutdown_signals.h"

#include <QSocketNotifier>

// Windows sends a program no such signals: a logout reaches the window there
// as the session's request to close it, which the window already handles.
#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace talsk {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction previous[std::size(kSignals)];
int pipeFds[2] = {-1, -1};

extern "C" void onShutdownSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request; losing this byte loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = saved;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) {
        pipeFds[0] = pipeFds[1] = -1;
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &ShutdownSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    installed_ = true;
    for (size_t i = 0; i < std::size(kSignals); ++i) {
        if (::sigaction(kSignals[i], nullptr, &previous[i]) != 0) {
            installed_ = false;
            previous[i].sa_handler = SIG_DFL;
            continue;
        }
        // A signal ignored from the start (nohup) stays ignored.
        if (previous[i].sa_handler == SIG_IGN) continue;
        installed_ = ::sigaction(kSignals[i], &action, nullptr) == 0 && installed_;
    }
}

ShutdownSignals::~ShutdownSignals() {
    if (pipeFds[1] >= 0)
        for (size_t i = 0; i < std::size(kSignals); ++i)
            ::sigaction(kSignals[i], &previous[i], nullptr);
    notifier_.reset();
    for (int& fd : pipeFds) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
}

void ShutdownSignals::readPipe() {
    unsigned char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1)
        Q_EMIT requested(byte);
}

} // namespace talsk

#else
namespace talsk {

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {}
ShutdownSignals::~ShutdownSignals() = default;
void ShutdownSignals::readPipe() {}

} // namespace talsk
#endif
