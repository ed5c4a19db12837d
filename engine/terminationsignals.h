#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

// SIGINT and SIGTERM turned into a call on the thread that makes the object, through a pipe
// that the handler writes and that thread's event loop reads. The pipe is close-on-exec, so no
// child inherits it, and non-blocking, so a burst of signals never stalls the handler. The
// handlers are the process's: one object at a time, made and destroyed on the main thread.
class TerminationSignals
{
public:
    enum class SecondSignal {
        Deliver,    // every signal reaches onSignal
        EndProcess, // the second ends the process at once, with status 128 + its number
    };

    // onSignal runs from the event loop, once per wake-up however many signals came.
    TerminationSignals(std::function<void()> onSignal, SecondSignal second);
    // Puts back the actions the signals had before.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // False when the pipe could not be made: the signals keep the actions they had.
    bool isCatching() const { return m_notifier != nullptr; }

private:
    void Drain();

    std::function<void()> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
