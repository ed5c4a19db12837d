#pragma once

#include "engine/timelineexporter.h"

#include <QDateTime>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

class QAudioOutput;
class QMediaPlayer;
class QVideoFrame;
class QVideoSink;

// The media component of the video area (control 1053): measures media files, plays the
// timeline's range in its window with picture and sound, and renders the timeline into an
// AVI or MPEG file through exporter(). Times are seconds. Operations that fail where the
// component reports an error throw VideoEditError. Playback needs QT_MEDIA_BACKEND=ffmpeg set
// before the application object is made.
class CVideoEdit : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ControlId = 1053;

    explicit CVideoEdit(QWidget *parent = nullptr);
    ~CVideoEdit() override;

    // The file's length; throws VideoEditError when the file cannot be read.
    double GetMediaDuration(const QString &file);

    // Stops playback, empties the timeline and blanks the window.
    void ClearTimeline();
    // Put start..stop of the file on the timeline (a stop beyond the end is cut to it); both
    // throw VideoEditError when the file cannot be read or the range does not lie in it.
    bool AddVideoRange(const QString &file, double start, double stop, short track = 0);
    bool AddAudioRange(const QString &file, double start, double stop);
    // Plays the timeline's ranges one after another in the window; PlaybackFinished follows
    // once the last has played (a range of no length shows its picture and ends; at or past the
    // picture track's last frame, that frame). False when the timeline is empty.
    bool Play();
    // Stops at once; the picture shown stays. No PlaybackFinished follows.
    void StopPlayback();

    // The export half: its settings, StartExport, StopExport and events.
    TimelineExporter &exporter() { return m_exporter; }
    bool isPlaying() const { return m_playing; }
    // When the frame in the window begins (seconds into its file); -1 while it shows none.
    double pictureTime() const { return m_pictureUs < 0 ? -1.0 : double(m_pictureUs) / 1e6; }

    QSize sizeHint() const override;

signals:
    // The position (seconds) at which the timeline's playback ended.
    void PlaybackFinished(double position);
    // A new picture of the playback is in the window.
    void PictureShown();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void PlayRange(int index);
    void OnVideoFrame(const QVideoFrame &frame);
    void OnPosition(qint64 milliseconds);
    void ReachedStop(qint64 microseconds);
    void FinishPlayback();
    // The start (microseconds) of the file's last picture, measured once per file and change.
    std::optional<qint64> LastFrameOf(const QString &file);
    QRect PictureRect() const;

    TimelineExporter m_exporter;
    QMediaPlayer *m_player = nullptr;
    QVideoSink *m_sink = nullptr;
    QAudioOutput *m_audio = nullptr; // only where the machine has an audio output
    QImage m_picture;
    qint64 m_pictureUs = -1;
    QList<TimelineRange> m_playList;
    QList<bool> m_playSound;
    int m_playIndex = -1;
    bool m_playing = false;
    bool m_loading = false; // while the player changes its source
    // Frames are taken once those posted before the last PlayRange have gone by.
    bool m_framesCurrent = false;
    quint64 m_playSerial = 0;
    qint64 m_startUs = 0;
    qint64 m_stopUs = 0;
    QTimer m_watchdog;
    QString m_lastFrameFile;
    QDateTime m_lastFrameFileStamp;
    std::optional<qint64> m_lastFrameUs;
};
