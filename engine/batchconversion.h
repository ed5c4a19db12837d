#pragma once

#include "engine/batchestimate.h"
#include "engine/batchoutcome.h"

#include <QDateTime>

class ConversionPipeline;
class EncoderRunner;
class IntermediateExporter;
struct SharedState;

// The batch loop of Start Converting and the clean-up of Stop Converting, free of widgets so
// that the page and the console front end share them.
class BatchConversion
{
public:
    BatchConversion(SharedState &state, ConversionPipeline &pipeline, EncoderRunner &runner);

    // RealMedia jobs are exported through it first; without one they go to the encoder as
    // they are.
    void SetIntermediateExporter(IntermediateExporter *exporter) { m_exporter = exporter; }

    // Clears cancelRequested, resets every job's progress and converts jobs 0..jobCount-1 in
    // order, until the last is done or the user stops. A job whose command failed, or whose
    // final file is missing or empty afterwards, is marked failed instead of finished, with
    // its reason in the job and the log; its partial files are deleted and the batch goes on.
    BatchOutcome RunJobs(int jobCount);

    // Sets cancelRequested, ends the running child and deletes the current job's partial
    // files by its stage. Safe to call again for the same job.
    void StopConverting();

    // Stops the running job's children where they are, and the time-left estimate with them;
    // Resume lets them go on. Nothing happens when no batch runs. Stop resumes first.
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
    void FinishJob(const FileMark &earlier);

    SharedState &m_state;
    ConversionPipeline &m_pipeline;
    EncoderRunner &m_runner;
    IntermediateExporter *m_exporter = nullptr;
    BatchEstimate m_estimate;
};
