#include "engine/outputfiles.h"

#include "engine/outputtypes.h"

#include <QFile>

QString FirstTempFile(const QString &outputDirectory, const QString &outputName)
{
    return outputDirectory + outputName + QLatin1String("_temp.3gp");
}

QString SecondTempFile(const QString &outputDirectory, const QString &outputName)
{
    return outputDirectory + outputName + QLatin1String("_temp_2.3g2");
}

QString FinalFile(const QString &outputDirectory, const QString &outputName, int outputType)
{
    if (!IsValidOutputType(outputType))
        return {};
    return outputDirectory + outputName + QLatin1Char('.')
           + QLatin1String(profileFileTable[size_t(outputType)].extension);
}

void DeleteFileIfAny(const QString &path)
{
    if (!path.isEmpty())
        QFile::remove(path);
}
