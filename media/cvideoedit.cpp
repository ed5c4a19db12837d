#include "media/cvideoedit.h"

#include "engine/mediaduration.h"
#include "engine/mediastreams.h"
#include "media/videoediterror.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPainter>
#include <QScopedValueRollback>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

// Past this much beyond a range's length playback is ended anyway, so that a source that
// stalls never leaves the page waiting for PlaybackFinished.
constexpr int WatchdogSlackMs = 3000;

qint64 Microseconds(double seconds)
{
    return qint64(seconds * 1e6 + 0.5);
}

} // namespace

CVideoEdit::CVideoEdit(QWidget *parent)
    : QWidget(parent)
    , m_player(new QMediaPlayer(this))
    , m_sink(new QVideoSink(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_player->setVideoSink(m_sink);
    // The FFmpeg back end crashes with an audio output on a machine without audio devices.
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        m_audio = new QAudioOutput(this);
        m_player->setAudioOutput(m_audio);
    }
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &CVideoEdit::FinishPlayback);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &CVideoEdit::OnVideoFrame);
    connect(m_player, &QMediaPlayer::positionChanged, this, &CVideoEdit::OnPosition);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
        if (m_playing && s == QMediaPlayer::EndOfMedia)
            ReachedStop(m_stopUs);
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this] {
        if (m_playing)
            FinishPlayback();
    });
}

CVideoEdit::~CVideoEdit()
{
    m_playing = false;
    m_player->stop();
}

double CVideoEdit::GetMediaDuration(const QString &file)
{
    const MediaDuration duration = ExamineMediaDuration(file);
    if (!duration.seconds)
        throw VideoEditError(QStringLiteral("%1: %2").arg(file, duration.problem),
                             duration.problem);
    return *duration.seconds;
}

void CVideoEdit::ClearTimeline()
{
    StopPlayback();
    m_exporter.ClearTimeline();
    m_picture = QImage();
    m_pictureUs = -1;
    update();
}

bool CVideoEdit::AddVideoRange(const QString &file, double start, double stop, short track)
{
    if (!m_exporter.AddVideoRange(file, start, stop, track))
        throw VideoEditError(
            QStringLiteral("cannot add %1..%2 s of %3").arg(start).arg(stop).arg(file));
    return true;
}

bool CVideoEdit::AddAudioRange(const QString &file, double start, double stop)
{
    if (!m_exporter.AddAudioRange(file, start, stop))
        throw VideoEditError(
            QStringLiteral("cannot add %1..%2 s of %3").arg(start).arg(stop).arg(file));
    return true;
}

bool CVideoEdit::Play()
{
    StopPlayback();
    const QList<TimelineRange> &video = m_exporter.videoRanges();
    const QList<TimelineRange> &audio = m_exporter.audioRanges();
    // The picture track leads; a timeline of sound only plays its sound ranges.
    m_playList = video.isEmpty() ? audio : video;
    m_playSound.clear();
    for (const TimelineRange &range : std::as_const(m_playList)) {
        bool sound = video.isEmpty();
        for (const TimelineRange &piece : audio) {
            if (piece.file == range.file && piece.start == range.start && piece.stop == range.stop)
                sound = true;
        }
        m_playSound.append(sound);
    }
    if (m_playList.isEmpty())
        return false;
    m_playing = true;
    PlayRange(0);
    return true;
}

void CVideoEdit::PlayRange(int index)
{
    m_playIndex = index;
    const TimelineRange &range = m_playList.at(index);
    m_startUs = Microseconds(range.start);
    m_stopUs = Microseconds(range.stop);
    // The player decodes nothing from a position inside or past the picture track's last
    // frame (the file's end, or sound that lasts longer than the picture), which would leave
    // the window black; a still picture there is that last frame. It is looked up before the
    // seek: sent back once it has reached the end, the player does not always deliver it.
    if (range.length() <= 0.0 && range.hasStream) {
        const std::optional<qint64> last = LastFrameOf(range.file);
        if (last && *last < m_startUs)
            m_startUs = m_stopUs = *last;
    }
    const QUrl url = QUrl::fromLocalFile(range.file);
    if (m_player->source() != url) {
        // A new source stops the last one first, which reports position 0 while the player
        // still knows only the last file: after a file without pictures, that would end
        // this range before it has begun.
        const QScopedValueRollback<bool> loading(m_loading, true);
        m_player->setSource(url);
    }
    if (m_audio)
        m_audio->setMuted(!m_playSound.at(index));
    // Frames still on their way from the sink belong to an earlier playback, of another file
    // or another time; they were posted before this call, which comes after them.
    m_framesCurrent = false;
    QMetaObject::invokeMethod(
        this,
        [this, serial = ++m_playSerial] {
            if (serial == m_playSerial)
                m_framesCurrent = true;
        },
        Qt::QueuedConnection);
    m_player->setPosition(m_startUs / 1000);
    m_player->play();
    m_watchdog.start(int(range.length() * 1000.0) + WatchdogSlackMs);
}

void CVideoEdit::StopPlayback()
{
    m_watchdog.stop();
    if (!m_playing)
        return;
    m_playing = false;
    m_player->pause();
}

void CVideoEdit::OnVideoFrame(const QVideoFrame &frame)
{
    if (!m_playing || !m_framesCurrent || !frame.isValid())
        return;
    // Frames decoded on the way from a key frame to the range's start are not shown.
    const qint64 end = frame.endTime() >= 0 ? frame.endTime() : frame.startTime();
    if (end >= 0 && end <= m_startUs)
        return;
    QImage picture = frame.toImage();
    if (!picture.isNull()) {
        m_picture = std::move(picture);
        m_pictureUs = frame.startTime();
        update();
        emit PictureShown();
    }
    if (end >= m_stopUs)
        ReachedStop(end);
}

void CVideoEdit::OnPosition(qint64 milliseconds)
{
    // Sound alone has no frames to follow.
    if (!m_playing || m_loading || m_player->hasVideo())
        return;
    const qint64 position = milliseconds * 1000;
    if (position >= m_startUs && position >= m_stopUs)
        ReachedStop(position);
}

void CVideoEdit::ReachedStop(qint64 microseconds)
{
    Q_UNUSED(microseconds)
    if (!m_playing)
        return;
    if (m_playIndex + 1 < m_playList.size()) {
        PlayRange(m_playIndex + 1);
        return;
    }
    FinishPlayback();
}

void CVideoEdit::FinishPlayback()
{
    if (!m_playing)
        return;
    m_watchdog.stop();
    m_playing = false;
    m_player->pause();
    emit PlaybackFinished(double(m_player->position()) / 1000.0);
}

std::optional<qint64> CVideoEdit::LastFrameOf(const QString &file)
{
    const QDateTime stamp = QFileInfo(file).lastModified();
    if (file != m_lastFrameFile || stamp != m_lastFrameFileStamp) {
        m_lastFrameFile = file;
        m_lastFrameFileStamp = stamp;
        const std::optional<double> last = MediaStreams::LastVideoFrame(file);
        m_lastFrameUs = last ? std::optional<qint64>(Microseconds(*last)) : std::nullopt;
    }
    return m_lastFrameUs;
}

QSize CVideoEdit::sizeHint() const
{
    return QSize(320, 240);
}

QRect CVideoEdit::PictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QSize fitted = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

void CVideoEdit::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!m_picture.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PictureRect(), m_picture);
    }
}
