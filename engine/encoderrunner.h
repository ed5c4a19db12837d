#pragma once

#include "engine/jobslot.h"

#include <QByteArray>
#include <QStringList>

#include <memory>

class QProcess;
class JobProgress;
struct SharedState;

// Runs the profile's commands as child processes, each in a session of its own and killed
// when this process dies (even by SIGKILL), with their
// arguments as a list (no shell ever sees a file name). Every wait sleeps until the next event
// of its thread and dispatches it, so the window stays live and the processor free; every wait
// ends early when the slot's cancelRequested is set.
//
// Threads: every member runs on the thread of the job that owns the runner (the window's for
// the front ends' own context); only the slot is shared, through its own lock and atomics.
class EncoderRunner
{
public:
    EncoderRunner(SharedState &state, JobSlot &slot, JobProgress &progress);
    ~EncoderRunner();

    // Starts the encoder with its output and error merged on one pipe and its input kept
    // open, and feeds the output to JobProgress in chunks of at most 255 bytes until the child
    // ends or the user cancels. A child that cannot start is logged as "CreateProcess".
    void RunWithPipes(const QStringList &command);
    // Starts a finishing tool with no input or output and waits for it; on cancellation it is
    // killed. A tool that cannot start is skipped without a log entry.
    void RunAndWait(const QStringList &command);

    // Ends the encoder of RunWithPipes: closes its output pipe, writes "q" (ffmpeg's quit
    // command) to its input and closes that. Does nothing the second time.
    void EndEncoder();
    // How long an encoder told to quit gets to close its file before it is killed.
    static constexpr int QuitTimeoutMs = 5000;
    // Waits, dispatching events, until the encoder has exited; kills it after timeoutMs.
    void WaitForEncoderExit(int timeoutMs = QuitTimeoutMs);

    // Why the last encoder of RunWithPipes did not succeed, once it has ended; empty when it
    // exited with status 0. Ends with the last line it printed, where ffmpeg names its error.
    QString encoderFailure() const;
    // The same for the last tool of RunAndWait.
    QString waitedFailure() const { return m_waitedFailure; }
    // Whether the last tool of RunAndWait was killed because the user cancelled.
    bool waitedCanceled() const { return m_waitedCanceled; }

    bool encoderPipesOpen() const { return m_outputOpen || m_inputOpen; }

private:
    // Resolves the program (current directory first, then PATH) and starts the process;
    // false with errno-style code in errorCode when it cannot.
    bool CreateChildProcess(QProcess &process,
                            const QStringList &command,
                            JobSlot::Child child,
                            int &errorCode);
    void ReadEncoderOutput();
    void Terminate(QProcess &process, JobSlot::Child child);

    SharedState &m_state;
    JobSlot &m_slot;
    JobProgress &m_progress;
    std::unique_ptr<QProcess> m_encoder;
    bool m_outputOpen = false;
    bool m_inputOpen = false;
    bool m_encoderStarted = false;
    QByteArray m_encoderTail; // the end of the encoder's output
    QString m_waitedFailure;
    bool m_waitedCanceled = false;
};
