#pragma once

#include <QList>
#include <QString>

// A clip for checking picture against sound, and what a file made from it shows and sounds.
// Its picture is flat grey whose shade steps up each second, so every decoded picture tells
// which second of the source it came from; its sound is silent but for a 100 ms 1 kHz beep
// that starts with the first picture of each new shade.
namespace BeepClip {

// Writes seconds (at most 10) of 320x240 H.264 at rate frames per second (as ffmpeg writes a
// rate: "25", "30000/1001") with bFrames B-frames (0: pictures in decoding order) and AAC
// sound, in an MP4 file. False, with ffmpeg's output in *log, when ffmpeg fails.
bool Make(
    const QString &path, double seconds, const QString &rate, int bFrames, QString *log = nullptr);

// A decoded file, times in seconds on the file's own clock (edit lists applied).
struct Timeline
{
    QList<double> pictureTimes;
    QList<int> pictureSeconds; // the source second each picture shows; -1 when unclear
    QList<double> beepTimes;   // onsets
    double videoDuration = 0;
    double audioDuration = 0;
    double frameRate = 0; // the video stream's nominal rate
    QString problem;      // why the file could not be read; empty when it was
};

Timeline Read(const QString &path);

// For each change of shade that a beep starts within 0.5 s of, the picture's time minus the
// beep's: positive when the picture is late. The change to source second k is looked for
// near time k - firstSecond.
QList<double> PictureLateness(const Timeline &timeline, int firstSecond);

} // namespace BeepClip
