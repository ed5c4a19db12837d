#pragma once

#include <QString>

#include <optional>

// What measuring a source found: its length in seconds, or why it has none.
struct MediaDuration
{
    std::optional<double> seconds;
    // Empty when measured; else "no such file", "not a regular file" or "cannot be read as
    // video or audio", texts that the console and the window show as they are.
    QString problem;
};

// Measures a source with FFmpeg's demuxers without ever blocking: anything but a regular file
// (a folder, a named pipe, a device) is refused before it is opened, and reading gives up after
// timeLimitMs. Takes about a millisecond for common containers.
MediaDuration ExamineMediaDuration(const QString &path, int timeLimitMs = 5000);

// The same, for callers that need only the length; nothing when the source cannot be measured.
std::optional<double> MeasureMediaDuration(const QString &path);
