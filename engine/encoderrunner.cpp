#include "engine/encoderrunner.h"

#include "engine/errorlog.h"
#include "engine/jobprogress.h"
#include "engine/messagepump.h"
#include "engine/sharedstate.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

namespace {

constexpr qint64 ChunkBytes = 255;

// A program named without a folder is looked for in the current directory (engineDirectory
// during a batch) before the search path, as the profiles' tools may ship beside them.
QString ResolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    const QFileInfo local(QDir::current(), program);
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(program);
}

} // namespace

EncoderRunner::EncoderRunner(SharedState &state, JobProgress &progress)
    : m_state(state)
    , m_progress(progress)
{}

EncoderRunner::~EncoderRunner()
{
    if (m_encoder && m_encoder->state() != QProcess::NotRunning)
        Terminate(*m_encoder);
}

bool EncoderRunner::CreateChildProcess(QProcess &process,
                                       const QStringList &command,
                                       int &errorCode)
{
    errorCode = 0;
    const QString program = command.isEmpty() ? QString() : ResolveProgram(command.first());
    if (program.isEmpty()) {
        errorCode = ENOENT;
        return false;
    }
    process.setProgram(program);
    process.setArguments(command.mid(1));
    // Its own session: a Ctrl-C in a terminal is ours to handle (as Stop), not the child's.
    process.setChildProcessModifier([] { ::setsid(); });
    process.start(QIODevice::ReadWrite);
    // The result of exec arrives as an event; a failure never emits finished.
    while (process.state() == QProcess::Starting)
        WaitAndPumpMessages();
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart) {
        errorCode = EACCES;
        return false;
    }
    return true;
}

void EncoderRunner::RunWithPipes(const QStringList &command)
{
    if (m_encoder && m_encoder->state() != QProcess::NotRunning) {
        EndEncoder();
        Terminate(*m_encoder);
    }
    m_encoder = std::make_unique<QProcess>();
    m_encoder->setProcessChannelMode(QProcess::MergedChannels);
    m_outputOpen = true;
    m_inputOpen = true;
    int errorCode = 0;
    if (!CreateChildProcess(*m_encoder, command, errorCode)) {
        LogApiError("CreateProcess", errorCode);
        // As if the child had ended at once: nothing to read, nothing to tell to quit.
        m_outputOpen = false;
        m_inputOpen = false;
        return;
    }
    ReadEncoderOutput();
}

void EncoderRunner::ReadEncoderOutput()
{
    char chunk[ChunkBytes + 1];
    for (;;) {
        if (m_state.cancelRequested || !m_outputOpen)
            return;
        const qint64 n = m_encoder->read(chunk, ChunkBytes);
        if (n > 0) {
            chunk[n] = '\0';
            m_progress.ParseEncoderOutput(std::string_view(chunk, size_t(n)));
            PumpMessages();
            continue;
        }
        // QProcess reports the end of a finished child's output as -1: the broken pipe of a
        // child that simply exited, which is no error.
        if (m_encoder->state() == QProcess::NotRunning)
            return;
        if (n < 0) {
            LogApiError("ReadFile", EIO);
            return;
        }
        WaitAndPumpMessages();
    }
}

void EncoderRunner::RunAndWait(const QStringList &command)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    int errorCode = 0;
    if (!CreateChildProcess(process, command, errorCode))
        return;
    m_waited = &process;
    // Cancellation is tested before every wait, so a tool started after Stop ends at once.
    while (process.state() != QProcess::NotRunning) {
        if (m_state.cancelRequested) {
            Terminate(process);
            break;
        }
        WaitAndPumpMessages();
    }
    m_waited = nullptr;
}

void EncoderRunner::EndEncoder()
{
    if (!m_encoder)
        return;
    if (m_outputOpen) {
        m_encoder->closeReadChannel(QProcess::StandardOutput);
        m_outputOpen = false;
    }
    if (m_inputOpen) {
        if (m_encoder->state() == QProcess::Running)
            m_encoder->write("q", 1);
        m_encoder->closeWriteChannel();
        m_inputOpen = false;
    }
}

void EncoderRunner::WaitForEncoderExit(int timeoutMs)
{
    if (!m_encoder || m_encoder->state() == QProcess::NotRunning)
        return;
    const QDeadlineTimer deadline(timeoutMs);
    QTimer wakeUp; // only there to end the sleep at the deadline
    wakeUp.setSingleShot(true);
    wakeUp.start(timeoutMs);
    while (m_encoder->state() != QProcess::NotRunning && !deadline.hasExpired())
        WaitAndPumpMessages();
    if (m_encoder->state() != QProcess::NotRunning)
        Terminate(*m_encoder);
}

void EncoderRunner::TerminateWaitedChild()
{
    if (m_waited && m_waited->state() != QProcess::NotRunning)
        Terminate(*m_waited);
}

void EncoderRunner::Terminate(QProcess &process)
{
    process.kill();
    // A killed child is gone within milliseconds; reap it so no file stays open behind us.
    process.waitForFinished(2000);
}
