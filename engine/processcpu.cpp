#include "engine/processcpu.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <unistd.h>

std::optional<double> ProcessCpuMs(qint64 pid)
{
    if (pid <= 0)
        return std::nullopt;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    // The name in parentheses may hold blanks and parentheses of its own: the fields start
    // after the last ")". From there, utime and stime are the 12th and 13th.
    const qsizetype nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = line.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() < 13)
        return std::nullopt;
    bool userOk = false;
    bool systemOk = false;
    const qulonglong ticks
        = fields.at(11).toULongLong(&userOk) + fields.at(12).toULongLong(&systemOk);
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (!userOk || !systemOk || perSecond <= 0)
        return std::nullopt;
    return double(ticks) * 1000.0 / double(perSecond);
}
