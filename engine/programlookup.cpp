#include "engine/programlookup.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

ProgramLookup ProgramLookup::Find(const QString &program, const QString &folder)
{
    const bool hasFolder = program.contains(QLatin1Char('/'));
    // The profiles' tools may ship beside them, so the engine folder comes first.
    const QFileInfo local(QDir(folder), program);
    if (local.isFile()) {
        if (local.isExecutable())
            return {local.absoluteFilePath(), {}};
        return {{}, QStringLiteral("is not executable")};
    }
    if (!hasFolder && !program.isEmpty()) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return {found, {}};
    }
    if (hasFolder)
        return {{}, QStringLiteral("cannot be found")};
    return {{},
            QStringLiteral("cannot be found in %1 or on the search path").arg(QDir(folder).path())};
}
