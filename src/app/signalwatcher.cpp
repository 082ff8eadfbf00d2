#include "app/signalwatcher.h"

#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace vantrel::app {

namespace {
const int kEnding[] = {SIGTERM, SIGHUP, SIGINT};
int fds[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t n = ::write(fds[0], &byte, 1);
}
} // namespace

SignalWatcher::SignalWatcher(QObject *parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0)
        return;
    notifier_ = new QSocketNotifier(fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(fds[1], &byte, 1) == 1)
            emit terminationRequested(byte);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    // Ctrl+C in the terminal the program was started from ends it the same way: nothing the
    // user has not saved is lost.
    for (const int number : kEnding)
        sigaction(number, &action, nullptr);
}

SignalWatcher::~SignalWatcher() {
    for (const int number : kEnding)
        signal(number, SIG_DFL);
}

} // namespace vantrel::app
