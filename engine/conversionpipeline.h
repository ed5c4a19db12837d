#pragma once

#include <QDateTime>
#include <QStringList>

#include <functional>

class EncoderRunner;
class JobProgress;
class ProfileCatalog;
struct JobSlot;
struct SharedState;

// Converts the slot's job with the selected profile: pass 1 (the encoder, with progress) and
// the finishing passes 2 and 3, plus 4 and 5 for 3G2, with the job's stage set between them
// and the temporary files deleted after the passes that use them.
class ConversionPipeline
{
public:
    ConversionPipeline(SharedState &state,
                       JobSlot &slot,
                       ProfileCatalog &catalog,
                       EncoderRunner &runner,
                       JobProgress &progress);

    // Reads the profile afresh and runs its commands; returns early, with the job at the stage
    // it had reached, when the slot's cancelRequested is seen after a pass (the stage tells the
    // caller which files to clean). A profile that cannot run (none selected, too few
    // commands) runs nothing and leaves its reason in the log.
    void ConvertJob();

    // The reason the selected profile cannot run, or empty when it can: no profile, too few
    // commands, or a command whose program cannot be found or is not executable (looked for as
    // the runner looks). Reads the profile file of the selected output type from
    // engineDirectory. Meant for before a batch.
    QString ProfileProblem();

    // Why the last ConvertJob did not succeed: the first command that could not start or
    // exited with an error, or the profile's problem; empty when every command succeeded.
    QString lastFailure() const { return m_failure; }

    // The clock for $TIMESTAMP; tests replace it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QString StructureProblem();
    QStringList Expand(int position) const;
    // Keeps the first failure of the job, naming the command by its pass.
    void NoteFailure(int pass, const QStringList &command, const QString &failure);

    SharedState &m_state;
    JobSlot &m_slot;
    ProfileCatalog &m_catalog;
    EncoderRunner &m_runner;
    JobProgress &m_progress;
    QString m_failure;
};
