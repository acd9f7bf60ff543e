#include "framework/app/Signals.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace korvex {

namespace {

int gSignalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(gSignalPipe[0], &byte, 1);
}

}  // namespace

void InstallTerminationHandler(QObject* owner, std::function<void()> onTerminate) {
    if (gSignalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, gSignalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(gSignalPipe[1], QSocketNotifier::Read, owner);
    QObject::connect(notifier, &QSocketNotifier::activated, owner,
                     [notifier, onTerminate = std::move(onTerminate)] {
                         char byte;
                         [[maybe_unused]] ssize_t n = ::read(gSignalPipe[1], &byte, 1);
                         notifier->setEnabled(false);
                         onTerminate();
                     });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

}  // namespace korvex
