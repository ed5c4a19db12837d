#pragma once

#include <QDateTime>
#include <QStringList>

#include <functional>

class EncoderRunner;
class JobProgress;
class ProfileCatalog;
struct SharedState;

// Converts the job at currentJobIndex with the selected profile: pass 1 (the encoder, with
// progress) and the finishing passes 2 and 3, plus 4 and 5 for 3G2, with the job's stage set
// between them and the temporary files deleted after the passes that use them.
class ConversionPipeline
{
public:
    ConversionPipeline(SharedState &state,
                       ProfileCatalog &catalog,
                       EncoderRunner &runner,
                       JobProgress &progress);

    // Reads the profile afresh and runs its commands; returns early when cancelRequested is
    // seen after a pass. A profile that cannot run (none selected, too few commands) runs
    // nothing and leaves its reason in the log.
    void ConvertJob();

    // The reason the selected profile cannot run, or empty when it can. Reads the profile file
    // of the selected output type from the current directory.
    QString ProfileProblem();

    // The clock for $TIMESTAMP; tests replace it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QStringList Expand(int position) const;

    SharedState &m_state;
    ProfileCatalog &m_catalog;
    EncoderRunner &m_runner;
    JobProgress &m_progress;
};
