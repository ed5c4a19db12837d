#include "engine/intermediatefiles.h"

#include <QDir>
#include <QRegularExpression>

QString IntermediateCacheDirectory()
{
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.cache");
    return base + QLatin1String("/mivartel/");
}

QString IntermediateFile(const QString &stem, int number, bool avi)
{
    return QStringLiteral("%1_%2.%3")
        .arg(stem)
        .arg(number)
        .arg(avi ? QLatin1String("avi") : QLatin1String("mpg"));
}

bool IsIntermediateFile(const QString &path, const QString &programDirectory)
{
    // The number starts at 10000 and only grows; a cut stem may leave the name without one.
    static const QRegularExpression shape(QStringLiteral("^[^/]*_[0-9]{5,}\\.(avi|mpg)$"));
    if (path.contains(QChar(0)))
        return false;
    for (const QString &folder : {programDirectory, IntermediateCacheDirectory()}) {
        if (folder.startsWith(QLatin1Char('/')) && folder.endsWith(QLatin1Char('/'))
            && path.startsWith(folder) && shape.match(path.mid(folder.size())).hasMatch())
            return true;
    }
    return false;
}
