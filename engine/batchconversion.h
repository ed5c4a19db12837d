#pragma once

#include "engine/batchestimate.h"
#include "engine/batchoutcome.h"

#include <QDateTime>
#include <QList>
#include <QMutex>

#include <memory>
#include <vector>

struct ConversionContext;
class IntermediateExporter;
struct JobSlot;
struct SharedState;

// The batch loop of Start Converting and the clean-up of Stop Converting, free of widgets so
// that the page and the console front end share them. Up to jobsAtOnce() jobs convert at
// once, each in a thread of its own with its own context; the intermediate export, the batch's
// outcome and its end stay on the caller's thread, one at a time.
//
// Threads: the public members run on the caller's thread (the window's or the console's), and
// so do StartJob, ReapEndedJobs and SetPaused. ConvertInThread, FinishJob and StopJob run on
// a job's own thread. The running jobs' list is changed only on the caller's thread; what a
// job's thread and the caller's share is its slot (with a lock of its own), the job list
// (locked) and each running job's "ended", which m_lock guards together with waking the job's
// thread, so that no thread is woken once it has begun to end.
class BatchConversion
{
public:
    explicit BatchConversion(SharedState &state);
    ~BatchConversion();
    BatchConversion(const BatchConversion &) = delete;
    BatchConversion &operator=(const BatchConversion &) = delete;

    // RealMedia jobs are exported through it first; without one they go to the encoder as
    // they are.
    void SetIntermediateExporter(IntermediateExporter *exporter) { m_exporter = exporter; }

    // How many jobs convert at the same time, from 1 to MaxJobsAtOnce.
    void SetJobsAtOnce(int jobs);
    int jobsAtOnce() const { return m_jobsAtOnce; }
    static constexpr int MaxJobsAtOnce = 16;
    // One more than the processors, at most four: on two processors three at once gave the
    // shortest batches of SD and HD clips alike (bench/jobsbench), since the finishing passes
    // and the phone-sized encode leave a processor idle now and then.
    static int DefaultJobsAtOnce();

    // Clears cancelRequested, resets the progress of the given rows, reserves their output
    // names (renaming a job whose files would clash, see ReserveOutputNames) and converts them
    // in that order, keeping up to jobsAtOnce() of them running, until the last is done or the user
    // stops. A job whose command failed, or whose final file is missing or empty afterwards,
    // is marked failed instead of finished, with its reason in the job and the log; its
    // partial files are deleted and the batch goes on. Returns once no job runs any more.
    BatchOutcome RunJobs(const QList<int> &rows);
    // The same for rows 0..jobCount-1.
    BatchOutcome RunJobs(int jobCount);
    // Rows 0..count-1, the whole list's batch.
    static QList<int> FirstRows(int count);

    // Sets cancelRequested and has every running job end its children and delete its partial
    // files by its stage; returns when they have. Safe to call again.
    void StopConverting();

    // Stops the running jobs' children where they are, and the time-left estimate with them;
    // Resume lets them go on; the intermediate export is paused too. No job starts while
    // paused. Nothing happens when no batch runs, and Pause is refused once Stop was pressed.
    // Stop resumes first.
    void Pause();
    void Resume();

    // The time left of the running batch (started by RunJobs).
    BatchEstimate &estimate() { return m_estimate; }
    const BatchEstimate &estimate() const { return m_estimate; }

private:
    // What the final file was before the job ran.
    struct FileMark
    {
        bool exists = false;
        QDateTime modified;
        qint64 size = 0;
    };
    struct RunningJob;

    void StartJob(int row);
    // Wakes the job's thread from its wait, unless it has ended.
    void Wake(const RunningJob &running) const;
    bool AnyStillRunning() const;
    // Joins the threads of the jobs that have ended; true when one had.
    bool ReapEndedJobs();
    // The job's own thread: converts it, then settles it as finished, failed or stopped.
    void ConvertInThread(RunningJob &running);
    void FinishJob(ConversionContext &context, const JobSlot &slot, const FileMark &earlier);
    void StopJob(ConversionContext &context, const JobSlot &slot);
    // Stops or continues every running job's children and repaints their rows.
    void SetPaused(bool paused);

    SharedState &m_state;
    IntermediateExporter *m_exporter = nullptr;
    BatchEstimate m_estimate;
    int m_jobsAtOnce = 1;
    std::vector<std::unique_ptr<RunningJob>> m_running;
    mutable QMutex m_lock;
};
