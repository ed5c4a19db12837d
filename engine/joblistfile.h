#pragma once

#include "engine/conversionjob.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct SharedState;

// A job list as written to disk: the jobs with their ranges and outcomes, and the jobs that a
// batch was running at that moment, if any, with the intermediate files it may have made.
struct SavedJobs
{
    QList<ConversionJob> jobs;
    QList<int> runningJobs;    // indexes into jobs; empty when no batch ran
    QString outputDirectory;   // of the running batch, absolute, ending with "/"
    int outputType = 0;        // of the running batch
    QStringList intermediates; // RealMedia exports of the batch not yet deleted
};

// The saved job list's format (JSON) and its file. Only what describes a job is kept: source,
// range, output name, stage and outcome; the figures of a run are not. Plain functions of
// their arguments; QueueSaver calls them on the window thread.
class JobListFile
{
public:
    // The file in the user's data folder.
    static QString DefaultPath();

    static QByteArray Encode(const SharedState &state);
    // Nothing when the bytes are not a job list of this program, or when the list would
    // write or delete outside its folders: an output name that is not a plain file name, an
    // output folder that is not absolute, an intermediate file other than one directly in
    // programDirectory (ending with "/") or the cache folder (see IsIntermediateFile).
    static std::optional<SavedJobs> Decode(const QByteArray &bytes,
                                           const QString &programDirectory = {});

    // Replaces the file in one step: a reader sees the old list or the new, never a mix.
    // False when it cannot be written.
    static bool Write(const QString &path, const QByteArray &bytes);
    // The saved list; empty when there is none. A damaged or foreign file is renamed with
    // DamagedSuffix and a line on standard error says so.
    static SavedJobs Read(const QString &path, const QString &programDirectory = {});
    static constexpr char DamagedSuffix[] = ".damaged";

    // A batch was running when the list was last saved, so the program died during it: the
    // running jobs become not started again, and what they left half-made and the recorded
    // intermediate files are deleted. Only regular files are deleted; a job whose file names
    // are taken by anything else (a link, a folder) keeps them.
    static void RecoverInterrupted(SavedJobs &saved);
};
