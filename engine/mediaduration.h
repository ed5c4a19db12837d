#pragma once

#include <QString>

#include <optional>

// The length of a media file in seconds, as FFmpeg's demuxers measure it; nothing when the
// file cannot be opened or has no length. Takes about a millisecond for common containers.
std::optional<double> MeasureMediaDuration(const QString &path);
