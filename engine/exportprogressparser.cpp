#include "engine/exportprogressparser.h"

QList<double> ExportProgressParser::Feed(const QByteArray &chunk)
{
    QList<double> reached;
    m_partialLine += chunk;
    qsizetype start = 0;
    for (qsizetype end = m_partialLine.indexOf('\n'); end >= 0;
         end = m_partialLine.indexOf('\n', start)) {
        const QByteArray line = m_partialLine.mid(start, end - start).trimmed();
        start = end + 1;
        if (line.startsWith("out_time_us=")) {
            // "N/A" until the first packet is written; the last good value stands.
            bool ok = false;
            const qint64 micro = line.mid(12).toLongLong(&ok);
            if (ok && micro >= 0)
                m_seconds = double(micro) / 1e6;
        } else if (line.startsWith("progress=")) {
            if (line == "progress=end")
                m_ended = true;
            reached.append(m_seconds);
        }
    }
    m_partialLine.remove(0, start);
    return reached;
}
