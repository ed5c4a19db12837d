#include "engine/terminationsignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
std::atomic<int> signalsReceived{0};
std::atomic<bool> secondEndsProcess{false};
// Only lock-free atomics may be touched from a signal handler.
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free);

constexpr int CaughtSignals[] = {SIGINT, SIGTERM};
struct sigaction earlierActions[std::size(CaughtSignals)];

// Only async-signal-safe work here, and errno as it was: the signal may land in the middle
// of any call of any thread.
void OnTerminationSignal(int signal)
{
    const int savedErrno = errno;
    if (signalsReceived.fetch_add(1) >= 1 && secondEndsProcess.load())
        ::_exit(128 + signal);
    const char byte = 1;
    // A full pipe already holds a wake-up, so a write that would block loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void CloseSignalPipe()
{
    for (int &fd : signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, SecondSignal second)
    : m_onSignal(std::move(onSignal))
{
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalsReceived = 0;
    secondEndsProcess = second == SecondSignal::EndProcess;
    m_notifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(
        m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { Drain(); });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    // One handler at a time, and the calls it interrupts go on.
    sigemptyset(&action.sa_mask);
    for (const int signal : CaughtSignals)
        sigaddset(&action.sa_mask, signal);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(CaughtSignals); ++i)
        sigaction(CaughtSignals[i], &action, &earlierActions[i]);
}

TerminationSignals::~TerminationSignals()
{
    if (!m_notifier)
        return;
    for (size_t i = 0; i < std::size(CaughtSignals); ++i)
        sigaction(CaughtSignals[i], &earlierActions[i], nullptr);
    m_notifier.reset();
    CloseSignalPipe();
}

void TerminationSignals::Drain()
{
    char bytes[64];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (m_onSignal)
        m_onSignal();
}
