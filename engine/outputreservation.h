#pragma once

#include "engine/conversionjob.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct SharedState;

// The names in the output folder that the jobs of a batch write: each job's final file and its
// temporary files, as the profile's command templates name them. They are reserved when the
// batch starts, so that no job writes or deletes a file that another job, or an earlier run,
// left there. A name can be taken only when no other job of the list holds it and no file of
// that name is in the folder; the one exception is the job's own final file, which a new run
// replaces. Names are compared without regard to letter case, as on a phone's FAT or exFAT
// card. A job whose names clash takes the next " (2)", " (3)", ... name, as jobs of the same
// name do when they are added.
//
// Threads: runs on the window's thread before the batch's first job starts.

// The files in the output folder that the job writes or deletes: its final file, its
// temporary files, and every file in the folder that the templates name. Full paths.
QStringList JobOutputFiles(const ConversionJob &job,
                           const QString &outputDirectory,
                           int outputType,
                           const QStringList &commandTemplates);

// Reserves the files of the rows, in order, renaming the rows whose names clash (written back
// to state.jobs, with their Output cells repainted). Returns each row's reserved files.
QHash<int, QStringList>
ReserveOutputNames(SharedState &state, const QList<int> &rows, const QStringList &commandTemplates);
