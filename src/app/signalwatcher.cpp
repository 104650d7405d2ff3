#include "app/signalwatcher.h"

#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tavrin {

namespace {
// Each asks the program to quit: SIGTERM from the session or a service
// manager, SIGINT from Ctrl-C, SIGHUP from the terminal a `tavrin &` was
// started in as it closes (and from some session managers), SIGQUIT from
// Ctrl-\. Ended by the default action, the quit saves would be lost.
constexpr int kQuitSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// [0] written by the handler, [1] read by the main loop.
int g_fds[2] = {-1, -1};
// The same for the deadline's thread, which the main loop never reads.
int g_deadlineFds[2] = {-1, -1};

void onSignal(int signal)
{
    const char byte = char(signal);
    [[maybe_unused]] ssize_t n = ::write(g_fds[0], &byte, 1);
    n = ::write(g_deadlineFds[0], &byte, 1);
}
} // namespace

SignalWatcher::SignalWatcher(QObject* parent) : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_fds) != 0)
        return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_deadlineFds) != 0)
        g_deadlineFds[0] = g_deadlineFds[1] = -1;
    notifier_ = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalWatcher::readSignal);
    if (g_deadlineFds[1] >= 0)
        deadlineThread_ = std::thread([this] { watchDeadline(); });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kQuitSignals)
        ::sigaction(signal, &action, nullptr);
    // A closed pipe on stdout or stderr (a `tavrin | tee log` whose terminal
    // went away) must not end the program in the middle of quitting: a
    // write there fails instead. A handler, not SIG_IGN, which the programs
    // it starts would inherit.
    struct sigaction quiet = {};
    quiet.sa_handler = [](int) {};
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = SA_RESTART;
    ::sigaction(SIGPIPE, &quiet, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    for (const int signal : kQuitSignals)
        ::signal(signal, SIG_DFL);
    ::signal(SIGPIPE, SIG_DFL);
    if (deadlineThread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            leaving_ = true;
        }
        wake_.notify_all();
        const char nothing = 0; // not a signal: the thread ends
        [[maybe_unused]] ssize_t n = ::write(g_deadlineFds[0], &nothing, 1);
        deadlineThread_.join();
    }
    for (int* fds : {g_fds, g_deadlineFds}) {
        if (fds[0] >= 0) {
            ::close(fds[0]);
            ::close(fds[1]);
            fds[0] = fds[1] = -1;
        }
    }
}

int SignalWatcher::descriptor() const { return notifier_ ? g_fds[1] : -1; }

void SignalWatcher::endWithin(double untilTaken, double untilDone, std::function<void()> lastWords)
{
    {
        std::lock_guard lock(mutex_);
        untilTaken_ = untilTaken;
        untilDone_ = untilDone;
        lastWords_ = std::move(lastWords);
    }
    wake_.notify_all();
}

void SignalWatcher::readSignal()
{
    notifier_->setEnabled(false);
    char byte = 0;
    if (::read(g_fds[1], &byte, 1) == 1) {
        {
            std::lock_guard lock(mutex_);
            taken_ = true;
        }
        wake_.notify_all();
        emit quitRequested(int(byte));
    }
    notifier_->setEnabled(true);
}

// The system's clock, not the program's: this is the one wait that must
// run while the main thread (which the program's clock runs on) is stuck.
void SignalWatcher::watchDeadline()
{
    char signal = 0;
    while (true) {
        const ssize_t n = ::read(g_deadlineFds[1], &signal, 1);
        if (n == 1)
            break;
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
    if (signal == 0)
        return;
    std::unique_lock lock(mutex_);
    const auto since = std::chrono::steady_clock::now();
    while (!leaving_) {
        const double limit = taken_ ? untilDone_ : untilTaken_;
        if (limit <= 0) {
            wake_.wait(lock);
            continue;
        }
        const auto until = since + std::chrono::duration<double>(limit);
        if (wake_.wait_until(lock, until) != std::cv_status::timeout || std::chrono::steady_clock::now() < until)
            continue;
        if (lastWords_)
            lastWords_();
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(128 + signal);
    }
}

} // namespace tavrin
