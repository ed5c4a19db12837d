#pragma once

#include "engine/joblistfile.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QObject>
#include <QTimer>

struct SharedState;

// Keeps the job list saved while the program runs. Changes are written at most once a second;
// during a batch a milestone (a job starts, changes stage or ends, an intermediate file is
// named) is written at once, so that after a crash the file names every job (and stage) and
// every intermediate file that may be half-made. The file is written once more when the saver
// is destroyed. The saver listens to state.jobs from construction until its destruction;
// state must outlive it.
//
// Threads: the saver and all its members live on the window thread (the batch loop's). The
// jobs' threads reach it only through the list's change listener: a milestone by a blocking
// queued call, so that it is on disk before the job goes on, progress by a queued one.
class QueueSaver : public QObject
{
    Q_OBJECT

public:
    // Takes a lock beside path; when another program holds it, nothing is restored or saved.
    QueueSaver(SharedState &state, const QString &path);
    ~QueueSaver() override;

    static constexpr int DebounceMs = 1000;

    bool saving() const { return m_locked; }
    // Reads the saved list, repairs what a crash left, and returns the jobs to list.
    SavedJobs Restore();
    // Writes now if the list differs from what was last written.
    void SaveNow();

private:
    void OnChanged(bool milestone);

    SharedState &m_state;
    QString m_path;
    QLockFile m_lock;
    bool m_locked = false;
    QTimer m_timer;
    QElapsedTimer m_sinceWrite;
    QByteArray m_written;
};
