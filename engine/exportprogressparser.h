#pragma once

#include <QByteArray>
#include <QList>

// Reads the key=value lines that "ffmpeg -progress pipe:1" writes. Each block ends with a
// "progress=continue" or "progress=end" line; fed raw chunks, split anywhere.
class ExportProgressParser
{
public:
    // Returns the time reached, in seconds of output, at each block completed by this chunk.
    QList<double> Feed(const QByteArray &chunk);
    // True once the "progress=end" block was read.
    bool ended() const { return m_ended; }

private:
    QByteArray m_partialLine;
    double m_seconds = 0.0;
    bool m_ended = false;
};
