#pragma once

#include "engine/commandtemplate.h"
#include "engine/sizebound.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>

class EncoderRunner;
class JobProgress;
class ProfileCatalog;
struct JobSlot;
struct SharedState;

// Converts the slot's job with the selected profile: pass 1 (the encoder, with progress) and
// the finishing passes 2 and 3, plus 4 and 5 for 3G2, with the job's stage set between them
// and the temporary files deleted after the passes that use them. A profile with a size bound
// gets the video rate that fills it; a file that still comes out over is made once more at a
// rate lowered by the overshoot, and fails when it is over again.
//
// Threads: all of it runs on the thread of the job it converts (or the window's, for the front
// ends' checks before a batch); the shared state is reached only through its locked job list
// and the values that do not change while a batch runs.
class ConversionPipeline
{
public:
    ConversionPipeline(SharedState &state,
                       JobSlot &slot,
                       ProfileCatalog &catalog,
                       EncoderRunner &runner,
                       JobProgress &progress);

    // Reads the profile afresh and runs its commands. Returns false, early and with the job at
    // the stage it had reached, when the user cancelled before the last pass ended (the stage
    // tells the caller which files to clean); true once every pass has run, whatever a cancel
    // asks after that, since the job is then done. A profile that cannot run (none selected,
    // too few commands) runs nothing, leaves its reason in the log, and counts as run.
    bool ConvertJob();

    // The reason the selected profile cannot run, or empty when it can: no profile, too few
    // commands, or a command whose program cannot be found or is not executable (looked for as
    // the runner looks). Reads the profile file of the selected output type from
    // engineDirectory. Meant for before a batch.
    QString ProfileProblem();

    // The command templates of the selected profile, in order; empty when it cannot run.
    QStringList Commands();

    // The selected profile's size bound, when it has one and can run.
    std::optional<SizeBound> SelectedSizeBound();
    // For a profile with a size bound: why the rows cannot be converted, naming the jobs whose
    // range cannot fit even at the lowest rate and the longest range that does; empty when
    // all fit.
    QString SizeProblem(const QList<int> &rows);

    // Why the last ConvertJob did not succeed: the first command that could not start or
    // exited with an error, or the profile's problem; empty when every command succeeded.
    QString lastFailure() const { return m_failure; }

    // The clock for $TIMESTAMP; tests replace it.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

private:
    QString StructureProblem();
    QStringList Expand(int position, const CommandValues &values) const;
    // One run of every pass; false when the user cancelled before the last pass ended. The
    // intermediate file is kept for a second run when keepIntermediate is set.
    bool RunPasses(const CommandValues &values, bool keepIntermediate);
    // The size bound of the profile the last structure check read.
    std::optional<SizeBound> LoadedSizeBound() const;
    // The values of the variables the program fills in, for a first run.
    CommandValues FirstValues(double seconds) const;
    // Keeps the first failure of the job, naming the command by its pass.
    void NoteFailure(int pass, const QStringList &command, const QString &failure);

    SharedState &m_state;
    JobSlot &m_slot;
    ProfileCatalog &m_catalog;
    EncoderRunner &m_runner;
    JobProgress &m_progress;
    QString m_failure;
    QString m_maxSize; // the selected section's MaxSize value, read with its commands
};
