#include "engine/batchconversion.h"

#include "engine/conversioncontext.h"
#include "engine/errorlog.h"
#include "engine/intermediateexporter.h"
#include "engine/jobslot.h"
#include "engine/messagepump.h"
#include "engine/outputfiles.h"
#include "engine/outputreservation.h"
#include "engine/sharedstate.h"
#include "engine/tickcount.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

struct BatchConversion::RunningJob
{
    JobSlot slot;
    FileMark earlier;
    std::unique_ptr<QThread> thread;
    bool ended = false; // under the batch's m_lock
};

namespace {

// Wakes the caller's wait in RunJobs or StopConverting.
void WakeApplication()
{
    if (QCoreApplication *application = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            application, [] {}, Qt::QueuedConnection);
}

} // namespace

BatchConversion::BatchConversion(SharedState &state)
    : m_state(state)
    , m_estimate(state)
{}

BatchConversion::~BatchConversion()
{
    // RunJobs returns only once its jobs have ended; this is for a caller that never let it.
    for (const std::unique_ptr<RunningJob> &running : m_running) {
        running->slot.cancelRequested = 1;
        running->slot.SetSuspended(false);
        Wake(*running);
        running->thread->wait();
    }
}

void BatchConversion::Wake(const RunningJob &running) const
{
    // A thread that has ended its job may be tearing down its event dispatcher.
    const QMutexLocker lock(&m_lock);
    if (running.ended)
        return;
    if (QAbstractEventDispatcher *dispatcher = running.thread->eventDispatcher())
        dispatcher->wakeUp();
}

int BatchConversion::DefaultJobsAtOnce()
{
    return std::clamp(QThread::idealThreadCount() + 1, 1, 4);
}

void BatchConversion::SetJobsAtOnce(int jobs)
{
    m_jobsAtOnce = std::clamp(jobs, 1, MaxJobsAtOnce);
}

QList<int> BatchConversion::FirstRows(int count)
{
    QList<int> rows;
    for (int row = 0; row < count; ++row)
        rows.append(row);
    return rows;
}

BatchOutcome BatchConversion::RunJobs(int jobCount)
{
    return RunJobs(FirstRows(jobCount));
}

BatchOutcome BatchConversion::RunJobs(const QList<int> &rows)
{
    m_state.cancelRequested = 0;
    m_state.jobs.resetProgress(rows);
    {
        JobSlot probe;
        ConversionContext context(m_state, probe);
        ReserveOutputNames(m_state, rows, context.pipeline.Commands());
    }
    m_estimate.Start(rows, TickCount());
    for (const int row : rows)
        m_state.RepaintProgressCell(row);
    qsizetype next = 0;
    for (;;) {
        while (!m_state.cancelRequested && !m_state.paused && next < rows.size()
               && int(m_running.size()) < m_jobsAtOnce) {
            const int row = rows.at(next++);
            // Jobs may have been removed from under a stopped batch's caller; never run past
            // them.
            if (!m_state.jobs.isValidIndex(row)) {
                next = rows.size();
                break;
            }
            m_state.currentJobIndex = row;
            m_state.ShowCurrentJob();
            // One export at a time, on this thread, while the running jobs go on encoding.
            if (m_state.jobs.copyOut(row).needsIntermediate == 1 && m_exporter) {
                m_exporter->ExportIntermediate(row);
                if (m_state.cancelRequested)
                    break;
            }
            StartJob(row);
        }
        if (m_running.empty() && (m_state.cancelRequested || next >= rows.size()))
            break;
        if (!ReapEndedJobs())
            WaitAndPumpMessages();
    }
    Resume();
    // The jobs' last repaints were queued before their threads ended; deliver them now, while
    // the state they refer to is certain to exist.
    QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
    return BatchOutcome::Of(m_state.jobs, rows, m_state.cancelRequested != 0);
}

void BatchConversion::StartJob(int row)
{
    auto running = std::make_unique<RunningJob>();
    running->slot.jobIndex = row;
    running->slot.SetSuspended(m_state.paused != 0);
    const ConversionJob job = m_state.jobs.copyOut(row);
    const QFileInfo before(FinalFile(m_state.outputDirectory, job.outputName, m_state.outputType));
    running->earlier = {before.exists(), before.lastModified(), before.size()};
    RunningJob *const raw = running.get();
    running->thread.reset(QThread::create([this, raw] { ConvertInThread(*raw); }));
    m_state.runningJobs.append(row);
    // Saved before its files exist: a RealMedia job may already stand at its first pass.
    m_state.jobs.notifyMilestone();
    m_estimate.JobStarted(row, TickCount());
    m_running.push_back(std::move(running));
    raw->thread->start();
}

bool BatchConversion::AnyStillRunning() const
{
    const QMutexLocker lock(&m_lock);
    return std::any_of(
        m_running.begin(), m_running.end(), [](const auto &running) { return !running->ended; });
}

bool BatchConversion::ReapEndedJobs()
{
    QMutexLocker lock(&m_lock);
    const auto ended = std::stable_partition(
        m_running.begin(), m_running.end(), [](const auto &r) { return !r->ended; });
    lock.unlock();
    if (ended == m_running.end())
        return false;
    for (auto it = ended; it != m_running.end(); ++it) {
        (*it)->thread->wait();
        m_state.runningJobs.removeOne((*it)->slot.jobIndex);
        m_estimate.JobEnded((*it)->slot.jobIndex);
    }
    m_running.erase(ended, m_running.end());
    return true;
}

void BatchConversion::ConvertInThread(RunningJob &running)
{
    {
        ConversionContext context(m_state, running.slot);
        running.slot.jobStartTick = TickCount();
        // A job whose passes all ran is finished, whatever a Stop asks afterwards.
        if (context.pipeline.ConvertJob())
            FinishJob(context, running.slot, running.earlier);
        else
            StopJob(context, running.slot);
        // However the job ended, no encoder outlives it.
        context.runner.EndEncoder();
        context.runner.WaitForEncoderExit();
    }
    {
        const QMutexLocker lock(&m_lock);
        running.ended = true;
    }
    WakeApplication();
}

void BatchConversion::FinishJob(ConversionContext &context,
                                const JobSlot &slot,
                                const FileMark &earlier)
{
    const int row = slot.jobIndex;
    if (!m_state.jobs.isValidIndex(row))
        return;
    ConversionJob job = m_state.jobs.copyOut(row);
    const QString &dir = m_state.outputDirectory;
    const QString final = FinalFile(dir, job.outputName, m_state.outputType);
    const QFileInfo result(final);
    // A command that failed spoils the result even when a file is there; and a file that only
    // an earlier run left is no proof of this one.
    const bool changed = result.exists()
                         && (!earlier.exists || result.lastModified() != earlier.modified
                             || result.size() != earlier.size);
    QString reason = context.pipeline.lastFailure();
    if (reason.isEmpty() && !(changed && result.isFile() && result.size() > 0))
        reason = QStringLiteral("%1 was not written").arg(final);
    if (reason.isEmpty()) {
        job.finished = 1;
        job.outputBytes = result.size();
    } else {
        job.failed = 1;
        job.failureReason = reason;
        AppendToLog(m_state.engineDirectory,
                    QStringLiteral("ERROR:   job %1 (%2) failed: %3.\n")
                        .arg(QString::number(row + 1), job.sourcePath, reason));
        // Nothing half-made stays in the output folder; an earlier run's result is left alone.
        for (const QString &temp : TempFiles(dir, job.outputName, m_state.outputType))
            DeleteFileIfAny(temp);
        if (changed)
            DeleteFileIfAny(final);
    }
    m_state.jobs.replace(row, job);
    m_state.RepaintProgressCell(row);
}

void BatchConversion::StopJob(ConversionContext &context, const JobSlot &slot)
{
    if (!m_state.jobs.isValidIndex(slot.jobIndex))
        return;
    const ConversionJob job = m_state.jobs.copyOut(slot.jobIndex);
    // The runner has already killed a finishing tool when it saw the cancel, so it cannot
    // create its file after the deletion. "q" makes the encoder close its file properly; it
    // is deleted once the encoder is gone.
    if (job.stage == JobStage::FirstPass) {
        context.runner.EndEncoder();
        context.runner.WaitForEncoderExit();
    }
    DeleteStageFiles(m_state.outputDirectory, job.outputName, job.stage, m_state.outputType);
    context.progress.SetJobStage(JobStage::Canceled);
}

void BatchConversion::SetPaused(bool paused)
{
    m_state.paused = paused ? 1 : 0;
    if (m_exporter)
        m_exporter->SetPaused(paused);
    for (const std::unique_ptr<RunningJob> &running : m_running) {
        running->slot.SetSuspended(paused);
        m_state.RepaintProgressCell(running->slot.jobIndex);
    }
}

void BatchConversion::Pause()
{
    // A stopping job must be able to read its "q" and end at once.
    if (!m_state.converting || m_state.paused || m_state.cancelRequested)
        return;
    SetPaused(true);
    m_estimate.Pause(TickCount());
}

void BatchConversion::Resume()
{
    if (!m_state.paused)
        return;
    SetPaused(false);
    m_estimate.Resume(TickCount());
    // Jobs wait to start while paused; the batch loop may be sleeping on that.
    WakeApplication();
}

void BatchConversion::StopConverting()
{
    // A stopped encoder cannot read its "q".
    Resume();
    m_state.cancelRequested = 1;
    for (const std::unique_ptr<RunningJob> &running : m_running) {
        running->slot.cancelRequested = 1;
        Wake(*running);
    }
    // Each job cleans up by its own stage; when Stop returns, nothing half-made is left.
    while (AnyStillRunning())
        WaitAndPumpMessages();
}
