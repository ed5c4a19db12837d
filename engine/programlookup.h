#pragma once

#include <QString>

// Where a profile command's program is found, as the runner starts it: a name with a "/" as
// it stands, else the current directory (engineDirectory during a batch), then the search path.
struct ProgramLookup
{
    QString path;    // absolute; empty when not found
    QString problem; // "cannot be found in FOLDER or on the search path", "is not executable"

    static ProgramLookup Find(const QString &program);
};
