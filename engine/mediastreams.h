#pragma once

#include <QString>

#include <optional>

// What a timeline needs to know of a source: its length in seconds and which kinds of
// stream it holds.
struct MediaStreams
{
    double duration = 0.0;
    bool hasVideo = false;
    bool hasAudio = false;

    // Nothing when FFmpeg cannot open the file.
    static std::optional<MediaStreams> Probe(const QString &path);
    // When the picture track's last frame begins (seconds from the file's start), read from
    // the packets near the end; nothing without a picture track or a time on its packets.
    static std::optional<double> LastVideoFrame(const QString &path);
    // Pixels a second of the picture track (width by height by frame rate), from the headers
    // alone; nothing without a picture track, when they do not tell, or for anything but a
    // regular file. Any thread.
    static std::optional<double> PictureRate(const QString &path);
};
