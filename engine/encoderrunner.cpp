#include "engine/encoderrunner.h"

#include "engine/childprocess.h"
#include "engine/errorlog.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/messagepump.h"
#include "engine/programlookup.h"
#include "engine/sharedstate.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>

#include <cerrno>
#include <csignal>

namespace {

constexpr qint64 ChunkBytes = 255;
constexpr qsizetype TailBytes = 1024;

void KeepTail(QByteArray &tail, const char *data, qsizetype size)
{
    tail.append(data, size);
    if (tail.size() > TailBytes)
        tail.remove(0, tail.size() - TailBytes);
}

// The last line that is not a status line: with "-loglevel error" that is ffmpeg's error.
QString LastMessage(const QByteArray &tail)
{
    QByteArray text = tail;
    text.replace('\r', '\n');
    const QList<QByteArray> lines = text.split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const QByteArray trimmed = line->trimmed();
        if (!trimmed.isEmpty() && !(trimmed.contains("frame=") && trimmed.contains("time=")))
            return QString::fromLocal8Bit(trimmed.left(300));
    }
    return {};
}

QString FailureOf(const QProcess &process, const QByteArray &tail)
{
    QString failure;
    if (process.exitStatus() == QProcess::CrashExit)
        failure = QStringLiteral("was ended by a signal");
    else if (process.exitCode() != 0)
        failure = QStringLiteral("exited with status %1").arg(process.exitCode());
    else
        return {};
    const QString message = LastMessage(tail);
    if (!message.isEmpty())
        failure += QStringLiteral(": ") + message;
    return failure;
}

const char NotStarted[] = "could not be started";

} // namespace

EncoderRunner::EncoderRunner(SharedState &state, JobSlot &slot, JobProgress &progress)
    : m_state(state)
    , m_slot(slot)
    , m_progress(progress)
{}

EncoderRunner::~EncoderRunner()
{
    if (m_encoder && m_encoder->state() != QProcess::NotRunning)
        Terminate(*m_encoder, JobSlot::Child::Encoder);
    m_slot.ClearChild(JobSlot::Child::Encoder);
}

bool EncoderRunner::CreateChildProcess(QProcess &process,
                                       const QStringList &command,
                                       JobSlot::Child child,
                                       int &errorCode)
{
    errorCode = 0;
    const QString program
        = command.isEmpty() ? QString()
                            : ProgramLookup::Find(command.first(), m_state.engineDirectory).path;
    if (program.isEmpty()) {
        errorCode = ENOENT;
        return false;
    }
    process.setProgram(program);
    process.setArguments(command.mid(1));
    // A relative name in a profile's command means the engine's folder, as the program does.
    process.setWorkingDirectory(m_state.engineDirectory);
    // Forked by the job's own thread; every child of a job has ended before its thread does.
    SetUpOwnedChild(process);
    process.start(QIODevice::ReadWrite);
    // The result of exec arrives as an event; a failure never emits finished.
    while (process.state() == QProcess::Starting)
        WaitAndPumpMessages();
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart) {
        errorCode = EACCES;
        return false;
    }
    // Stopped at once when a pause came first.
    m_slot.PublishChild(child, process.processId());
    return true;
}

void EncoderRunner::RunWithPipes(const QStringList &command)
{
    if (m_encoder && m_encoder->state() != QProcess::NotRunning) {
        EndEncoder();
        Terminate(*m_encoder, JobSlot::Child::Encoder);
    }
    m_slot.ClearChild(JobSlot::Child::Encoder);
    m_encoder = std::make_unique<QProcess>();
    m_encoder->setProcessChannelMode(QProcess::MergedChannels);
    m_outputOpen = true;
    m_inputOpen = true;
    m_encoderTail.clear();
    int errorCode = 0;
    m_encoderStarted = CreateChildProcess(*m_encoder, command, JobSlot::Child::Encoder, errorCode);
    if (!m_encoderStarted) {
        LogApiError(m_state.engineDirectory, "CreateProcess", errorCode);
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
        if (m_slot.cancelRequested || !m_outputOpen)
            return;
        const qint64 n = m_encoder->read(chunk, ChunkBytes);
        if (n > 0) {
            chunk[n] = '\0';
            KeepTail(m_encoderTail, chunk, n);
            m_progress.ParseEncoderOutput(std::string_view(chunk, size_t(n)));
            PumpMessages();
            continue;
        }
        // QProcess reports the end of a finished child's output as -1: the broken pipe of a
        // child that simply exited, which is no error.
        if (m_encoder->state() == QProcess::NotRunning) {
            m_slot.ClearChild(JobSlot::Child::Encoder);
            return;
        }
        if (n < 0) {
            LogApiError(m_state.engineDirectory, "ReadFile", EIO);
            return;
        }
        WaitAndPumpMessages();
    }
}

void EncoderRunner::RunAndWait(const QStringList &command)
{
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    // Only the end of its output is kept, for the reason of a failure.
    process.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray tail;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [&process, &tail] {
        const QByteArray data = process.readAllStandardOutput();
        KeepTail(tail, data.constData(), data.size());
    });
    int errorCode = 0;
    m_waitedCanceled = false;
    if (!CreateChildProcess(process, command, JobSlot::Child::Tool, errorCode)) {
        m_waitedFailure = QLatin1String(NotStarted);
        return;
    }
    // Cancellation is tested before every wait, so a tool started after Stop ends at once.
    while (process.state() != QProcess::NotRunning) {
        if (m_slot.cancelRequested) {
            Terminate(process, JobSlot::Child::Tool);
            // A tool that had already exited on its own, unseen yet, ran to its end.
            m_waitedCanceled = process.exitStatus() == QProcess::CrashExit;
            break;
        }
        WaitAndPumpMessages();
    }
    m_slot.ClearChild(JobSlot::Child::Tool);
    const QByteArray rest = process.readAllStandardOutput();
    KeepTail(tail, rest.constData(), rest.size());
    m_waitedFailure = FailureOf(process, tail);
}

QString EncoderRunner::encoderFailure() const
{
    if (!m_encoderStarted)
        return QLatin1String(NotStarted);
    if (!m_encoder || m_encoder->state() != QProcess::NotRunning)
        return {};
    return FailureOf(*m_encoder, m_encoderTail);
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
    // Only there to end the sleep at the deadline. It repeats, because a timer may fire a
    // little before the deadline, and a sleep after that would have nothing to wake it.
    QTimer wakeUp;
    wakeUp.setTimerType(Qt::PreciseTimer);
    wakeUp.start(qMax(1, timeoutMs / 4));
    while (m_encoder->state() != QProcess::NotRunning && !deadline.hasExpired())
        WaitAndPumpMessages();
    if (m_encoder->state() != QProcess::NotRunning)
        Terminate(*m_encoder, JobSlot::Child::Encoder);
    m_slot.ClearChild(JobSlot::Child::Encoder);
}

void EncoderRunner::Terminate(QProcess &process, JobSlot::Child child)
{
    // A stopped child takes SIGKILL as well; SIGCONT keeps its group from staying stopped.
    // The group is forgotten first, so that a pause cannot stop it again in between.
    m_slot.ClearChild(child);
    ::kill(-pid_t(process.processId()), SIGCONT);
    process.kill();
    // A killed child is gone within milliseconds; reap it so no file stays open behind us.
    process.waitForFinished(2000);
}
