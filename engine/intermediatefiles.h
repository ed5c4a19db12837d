#pragma once

#include <QString>

// Names and folders of the intermediate files that RealMedia jobs are exported into. Plain
// functions of their arguments and the environment; any thread.

// "$XDG_CACHE_HOME/mivartel/" (by default "~/.cache/mivartel/"), ending with "/"; where the
// files go when the program's folder cannot be written. Not created here.
QString IntermediateCacheDirectory();
// stem + "_" + number + ".avi" (or ".mpg"): the stem is the folder and the job's outputName.
QString IntermediateFile(const QString &stem, int number, bool avi);
// Whether path names a file of that shape directly in programDirectory (ending with "/") or
// in the cache folder: the only files a saved list may ask to delete.
bool IsIntermediateFile(const QString &path, const QString &programDirectory);
