#pragma once

#include <QString>

// Where a profile command's program is found, as the runner starts it: a name with a "/" as
// it stands (relative to folder), else folder (the engine's), then the search path.
struct ProgramLookup
{
    QString path;    // absolute; empty when not found
    QString problem; // "cannot be found in FOLDER or on the search path", "is not executable"

    static ProgramLookup Find(const QString &program, const QString &folder);
};
