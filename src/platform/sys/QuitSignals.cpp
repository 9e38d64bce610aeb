#include "QuitSignals.h"

#include <QSocketNotifier>

#include <ibase.h>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace sys {

namespace {

// The pipe's write end, read by signal handlers and the engine's thread.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;
QuitSignals* owner = nullptr;

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void notify(int signal) {
    const int fd = writeEnd;
    if (fd < 0) return;
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request; one is enough.
    [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    errno = saved;
}

void onSignal(int signal) {
    notify(signal);
}

// The engine's question before it shuts itself down. On a signal the answer
// is no (non-zero) and the program quits on its own terms; any other
// shutdown (the process ending) goes ahead.
int onEngineShutdown(int reason, int, void*) {
    if (reason != fb_shutrsn_signal) return 0;
    notify(SIGTERM);
    return 1;
}

}  // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (owner) return;
    // The pipe lives as long as the process: the engine's thread may still
    // write to it while the program ends.
    static const bool piped = [] {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
        readEnd = fds[0];
        writeEnd = fds[1];
        ISC_STATUS_ARRAY status;
        fb_shutdown_callback(status, onEngineShutdown, fb_shut_confirmation, nullptr);
        return true;
    }();
    if (!piped) return;
    owner = this;

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals) ::sigaction(s, &action, nullptr);

    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &QuitSignals::readPipe);
}

QuitSignals::~QuitSignals() {
    if (owner != this) return;
    owner = nullptr;
}

void QuitSignals::readPipe() {
    unsigned char bytes[16];
    ssize_t n = 0;
    int last = 0;
    while ((n = ::read(readEnd, bytes, sizeof bytes)) > 0) last = bytes[n - 1];
    if (last) emit quitRequested(last);
}

}  // namespace sys
