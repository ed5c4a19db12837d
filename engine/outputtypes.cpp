#include "engine/outputtypes.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString FileName(int outputType)
{
    return QFileInfo(QLatin1String(profileFileTable[size_t(outputType)].profileFile)).fileName();
}

} // namespace

QString UserProfileDirectory()
{
    // Named here rather than after the running program, whose name differs between the window
    // and the console program (and every test).
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QLatin1String("/Mivartel/app");
}

QString InstalledProfilePath(const QString &engineDirectory, int outputType)
{
    const QLatin1String file(profileFileTable[size_t(outputType)].profileFile);
    return QDir::cleanPath(QDir(engineDirectory).filePath(file));
}

QString ProfilePath(const QString &engineDirectory, int outputType)
{
    // An installed program's folder is the system's and read-only: a user edits a copy.
    const QFileInfo own(QDir(UserProfileDirectory()), FileName(outputType));
    if (own.isFile())
        return own.absoluteFilePath();
    return InstalledProfilePath(engineDirectory, outputType);
}
