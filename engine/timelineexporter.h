#pragma once

#include "engine/compressorlist.h"
#include "engine/exportprogressparser.h"
#include "engine/timelinerange.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

// The timeline and export half of the media component: pieces of sources are put on a
// video and an audio track and rendered into an AVI or MPEG file by an ffmpeg child process.
// Needs Qt Core only, so the console front end exports RealMedia sources as the window does.
// Events arrive on the thread that owns the object while its event loop (or an engine wait)
// runs; the export never blocks it. Every member runs on that thread.
class TimelineExporter : public QObject
{
    Q_OBJECT

public:
    enum OutputFormat : int { Mpeg = 6, Avi = 8 };

    explicit TimelineExporter(QObject *parent = nullptr);
    ~TimelineExporter() override;

    // Empties both tracks; a running export is not touched.
    void ClearTimeline();
    // Put start..stop seconds of a source's picture or sound at the end of its track. A stop
    // beyond the file's end is cut to it. False, and nothing added, when the file cannot be
    // read or the range does not lie in it (start < 0, stop < start, start beyond the end).
    bool AddVideoRange(const QString &file, double start, double stop, short track = 0);
    bool AddAudioRange(const QString &file, double start, double stop);
    const QList<TimelineRange> &videoRanges() const { return m_videoRanges; }
    const QList<TimelineRange> &audioRanges() const { return m_audioRanges; }
    // Seconds the export renders: the longer of the two tracks.
    double TimelineLength() const;

    // Export settings, kept until changed.
    void SetColorDepth(short bits) { m_colorDepth = bits; }
    void SetVideoWidth(short pixels) { m_width = pixels; }
    void SetVideoHeight(short pixels) { m_height = pixels; }
    void SetFrameRate(float framesPerSecond) { m_frameRate = framesPerSecond; }
    // 6 MPEG (MPEG-1 video, MP2 sound), 8 AVI; other values make StartExport fail.
    void SetOutputFormat(long format) { m_outputFormat = format; }
    void SetUseVideoCompressor(bool use) { m_useVideoCompressor = use; }
    void SetVideoCompressor(short index) { m_videoCompressor = index; }
    void SetUseAudioCompressor(bool use) { m_useAudioCompressor = use; }
    void SetAudioCompressor(short index) { m_audioCompressor = index; }

    // The compressors an AVI export can use; by default those of this machine.
    CompressorList GetVideoCompressors() const { return m_videoCompressors; }
    CompressorList GetAudioCompressors() const { return m_audioCompressors; }
    void SetCompressorLists(const CompressorList &video, const CompressorList &audio);

    // ffmpeg's arguments (without the program) that render the timeline into file; empty
    // when the timeline or the settings cannot be rendered.
    QStringList ExportArguments(const QString &file) const;

    // Starts rendering the timeline into file. True: ExportProgress events follow and
    // ExportFinished comes once when ffmpeg has ended, unless StopExport comes first. False
    // when nothing can be rendered, the folder cannot be written or ffmpeg cannot start;
    // then no file is left behind.
    bool StartExport(const QString &file);
    // Ends a running export at once (ffmpeg closes the file properly); no further events of
    // it arrive. Does nothing when no export runs.
    void StopExport();
    bool IsExporting() const { return m_process != nullptr; }
    // Stops (SIGSTOP) or continues the export's ffmpeg; an export started while paused is
    // stopped at once.
    void SetPaused(bool paused);

signals:
    // Seconds rendered so far and seconds in all.
    void ExportProgress(double done, double total);
    void ExportFinished();

private:
    bool AddRange(
        QList<TimelineRange> &track, const QString &file, double start, double stop, bool video);
    void ReadProgress(QProcess *process);
    void OnProcessEnded(QProcess *process);

    QList<TimelineRange> m_videoRanges;
    QList<TimelineRange> m_audioRanges;
    short m_colorDepth = 24;
    short m_width = 320;
    short m_height = 240;
    float m_frameRate = 15.0f;
    long m_outputFormat = Avi;
    bool m_useVideoCompressor = false;
    short m_videoCompressor = -1;
    bool m_useAudioCompressor = false;
    short m_audioCompressor = -1;
    CompressorList m_videoCompressors;
    CompressorList m_audioCompressors;

    QProcess *m_process = nullptr; // the running export, owned as a child
    ExportProgressParser m_parser;
    double m_total = 0.0;
    bool m_paused = false;
};
