#include "engine/errorlog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace {

bool AppendTo(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Text))
        return false;
    return file.write(bytes) == bytes.size();
}

} // namespace

QString UserStateDirectory()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QLatin1String("/.local/state");
    const QString dir = base + QLatin1String("/mivartel");
    QDir().mkpath(dir);
    return dir + QLatin1Char('/');
}

QString LogPath(const QString &engineDirectory)
{
    const QString beside = QDir(engineDirectory).filePath(QStringLiteral("log.txt"));
    const QFileInfo file(beside);
    if (file.exists() ? file.isWritable() : QFileInfo(engineDirectory).isWritable())
        return beside;
    return UserStateDirectory() + QLatin1String("log.txt");
}

void AppendToLog(const QString &engineDirectory, const QString &text)
{
    AppendTo(LogPath(engineDirectory), text.toLocal8Bit());
}

QString ApiErrorEntry(const char *apiName, int errorCode)
{
    // The message ends with a line break of its own, so the closing period stands alone.
    const QString message = QString::fromLocal8Bit(std::strerror(errorCode)) + QLatin1Char('\n');
    return QStringLiteral("ERROR:   API         =   %1.\n"
                          "       error   code   =   %2.\n"
                          "       message         =   %3.\n")
        .arg(QString::fromLatin1(apiName))
        .arg(errorCode)
        .arg(message);
}

void LogApiError(const QString &engineDirectory, const char *apiName, int errorCode)
{
    AppendToLog(engineDirectory, ApiErrorEntry(apiName, errorCode));
}
