#include "engine/batchconversion.h"

#include "engine/cellrepainter.h"
#include "engine/conversionpipeline.h"
#include "engine/encoderrunner.h"
#include "engine/errorlog.h"
#include "engine/intermediateexporter.h"
#include "engine/outputfiles.h"
#include "engine/sharedstate.h"
#include "engine/tickcount.h"

#include <QFileInfo>

BatchConversion::BatchConversion(SharedState &state,
                                 ConversionPipeline &pipeline,
                                 EncoderRunner &runner)
    : m_state(state)
    , m_pipeline(pipeline)
    , m_runner(runner)
    , m_estimate(state)
{}

BatchOutcome BatchConversion::RunJobs(int jobCount)
{
    m_state.cancelRequested = 0;
    m_state.jobs.resetProgress();
    m_state.currentJobIndex = 0;
    m_estimate.Start(jobCount, TickCount());
    if (jobCount > 0)
        m_state.RepaintJobCells(0, jobCount - 1, JobColumn::Progress);
    for (m_state.currentJobIndex = 0; m_state.currentJobIndex < jobCount;
         ++m_state.currentJobIndex) {
        // Jobs may have been removed from under a stopped batch's caller; never run past them.
        if (!m_state.jobs.isValidIndex(m_state.currentJobIndex))
            break;
        m_state.ShowCurrentJob();
        if (m_state.jobs.copyOut(m_state.currentJobIndex).needsIntermediate == 1 && m_exporter) {
            m_exporter->ExportIntermediate(m_state.currentJobIndex);
            if (m_state.cancelRequested)
                break;
        }
        const ConversionJob job = m_state.jobs.copyOut(m_state.currentJobIndex);
        const QFileInfo before(
            FinalFile(m_state.outputDirectory, job.outputName, m_state.outputType));
        const FileMark earlier{before.exists(), before.lastModified(), before.size()};
        m_state.jobStartTick = TickCount();
        m_pipeline.ConvertJob();
        if (m_state.cancelRequested)
            break;
        FinishJob(earlier);
    }
    // However the batch ended, no encoder outlives it.
    Resume();
    m_runner.EndEncoder();
    m_runner.WaitForEncoderExit();
    return BatchOutcome::Of(m_state.jobs, jobCount, m_state.cancelRequested != 0);
}

void BatchConversion::FinishJob(const FileMark &earlier)
{
    ConversionJob job = m_state.jobs.copyOut(m_state.currentJobIndex);
    const QString &dir = m_state.outputDirectory;
    const QString final = FinalFile(dir, job.outputName, m_state.outputType);
    const QFileInfo result(final);
    // A command that failed spoils the result even when a file is there; and a file that only
    // an earlier run left is no proof of this one.
    const bool changed = result.exists()
                         && (!earlier.exists || result.lastModified() != earlier.modified
                             || result.size() != earlier.size);
    QString reason = m_pipeline.lastFailure();
    if (reason.isEmpty() && !(changed && result.isFile() && result.size() > 0))
        reason = QStringLiteral("%1 was not written").arg(final);
    if (reason.isEmpty()) {
        job.finished = 1;
    } else {
        job.failed = 1;
        job.failureReason = reason;
        AppendToLog(m_state.engineDirectory,
                    QStringLiteral("ERROR:   job %1 (%2) failed: %3.\n")
                        .arg(QString::number(m_state.currentJobIndex + 1), job.sourcePath, reason));
        // Nothing half-made stays in the output folder; an earlier run's result is left alone.
        DeleteFileIfAny(FirstTempFile(dir, job.outputName));
        DeleteFileIfAny(SecondTempFile(dir, job.outputName));
        if (changed)
            DeleteFileIfAny(final);
    }
    m_state.jobs.replace(m_state.currentJobIndex, job);
    m_state.RepaintProgressCell();
}

void BatchConversion::Pause()
{
    if (!m_state.converting || m_state.paused)
        return;
    m_state.paused = 1;
    m_runner.SetSuspended(true);
    m_estimate.Pause(TickCount());
    m_state.RepaintProgressCell();
}

void BatchConversion::Resume()
{
    if (!m_state.paused)
        return;
    m_state.paused = 0;
    m_runner.SetSuspended(false);
    m_estimate.Resume(TickCount());
    m_state.RepaintProgressCell();
}

void BatchConversion::StopConverting()
{
    // A stopped encoder cannot read its "q".
    Resume();
    m_state.cancelRequested = 1;
    if (!m_state.jobs.isValidIndex(m_state.currentJobIndex))
        return;
    const ConversionJob job = m_state.jobs.copyOut(m_state.currentJobIndex);
    switch (job.stage) {
    case JobStage::FirstPass:
        // "q" makes the encoder close its file properly; it is deleted once the encoder is gone.
        m_runner.EndEncoder();
        m_runner.WaitForEncoderExit();
        break;
    case JobStage::SecondPhase:
    case JobStage::ThirdPhase:
        // The tool is killed first, so it cannot create its file after the deletion.
        m_runner.TerminateWaitedChild();
        break;
    default:
        break;
    }
    DeleteStageFiles(m_state.outputDirectory, job.outputName, job.stage, m_state.outputType);
}
