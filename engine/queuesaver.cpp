#include "engine/queuesaver.h"

#include "engine/sharedstate.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

QueueSaver::QueueSaver(SharedState &state, const QString &path)
    : m_state(state)
    , m_path(path)
    , m_lock(path + QStringLiteral(".lock"))
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    m_locked = m_lock.tryLock(0);
    if (!m_locked) {
        std::fprintf(stderr,
                     m_lock.error() == QLockFile::LockFailedError
                         ? "mivartel: another Mivartel keeps the job list %s; this one will not "
                           "save it\n"
                         : "mivartel: cannot lock the job list %s; it will not be saved\n",
                     qPrintable(path));
        return;
    }
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &QueueSaver::SaveNow);
    m_state.jobs.setChangeListener([this](bool milestone) {
        if (QThread::currentThread() == thread()) {
            OnChanged(milestone);
            return;
        }
        // A running job's thread: a milestone is on disk before the job goes on, so that a
        // crash never finds a stage older than the files it made.
        QMetaObject::invokeMethod(
            this,
            [this, milestone] { OnChanged(milestone); },
            milestone ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
    });
}

QueueSaver::~QueueSaver()
{
    if (!m_locked)
        return;
    m_state.jobs.setChangeListener({});
    SaveNow();
}

SavedJobs QueueSaver::Restore()
{
    if (!m_locked)
        return {};
    SavedJobs saved = JobListFile::Read(m_path, m_state.programDirectory);
    if (!saved.runningJobs.isEmpty() || !saved.intermediates.isEmpty()) {
        JobListFile::RecoverInterrupted(saved);
        // The list on disk must no longer name a job whose files are gone.
        SharedState recovered;
        for (const ConversionJob &job : saved.jobs)
            recovered.jobs.append(job);
        JobListFile::Write(m_path, JobListFile::Encode(recovered));
    }
    return saved;
}

void QueueSaver::SaveNow()
{
    m_timer.stop();
    if (!m_locked)
        return;
    const QByteArray bytes = JobListFile::Encode(m_state);
    if (bytes == m_written)
        return;
    if (JobListFile::Write(m_path, bytes))
        m_written = bytes;
    m_sinceWrite.start();
}

void QueueSaver::OnChanged(bool milestone)
{
    if (milestone && m_state.converting) {
        SaveNow();
        return;
    }
    if (m_timer.isActive())
        return;
    const qint64 since = m_sinceWrite.isValid() ? m_sinceWrite.elapsed() : DebounceMs;
    m_timer.start(int(qMax<qint64>(0, DebounceMs - since)));
}
