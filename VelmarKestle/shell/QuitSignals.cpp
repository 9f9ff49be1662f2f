#include "shell/QuitSignals.hpp"

#include <csignal>

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include "Logging.hpp"

namespace kestle::app {

namespace {

int pipeEnds[2] = {-1, -1};

// Only async-signal-safe calls here: the main thread does the rest.
void onSignal(int signal) {
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[0], &byte, 1);
}

} // namespace

QuitSignals::QuitSignals(std::function<void(int)> quit, QObject* parent)
    : QObject(parent), quit_(std::move(quit)) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) {
        qCWarning(lcApp, "Quit signals: no socket pair, signals end the process at once");
        return;
    }
    notifier_ = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(pipeEnds[1], &byte, 1) == 1) {
            qCInfo(lcApp, "Quit: signal %d", int(byte));
            if (quit_) {
                quit_(byte);
            }
        }
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    // logind hangs up a session's programs when the user logs out.
    ::sigaction(SIGHUP, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGHUP, SIG_DFL);
    if (pipeEnds[0] >= 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        pipeEnds[0] = pipeEnds[1] = -1;
    }
}

} // namespace kestle::app
