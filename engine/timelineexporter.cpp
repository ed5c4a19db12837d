#include "engine/timelineexporter.h"

#include "engine/childprocess.h"
#include "engine/mediastreams.h"
#include "engine/messagepump.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <csignal>

namespace {

// A stopped ffmpeg that has not quit on "q" by then is killed.
constexpr int QuitGraceMs = 3000;

QString Seconds(double value)
{
    return QString::number(value, 'f', 6);
}

// Where 24 bits asks for the usual BGR of uncompressed AVI.
QString RawPixelFormat(short colorDepth)
{
    switch (colorDepth) {
    case 32:
        return QStringLiteral("bgra");
    case 16:
        return QStringLiteral("rgb555le");
    case 8:
        return QStringLiteral("gray");
    default:
        return QStringLiteral("bgr24");
    }
}

} // namespace

TimelineExporter::TimelineExporter(QObject *parent)
    : QObject(parent)
    , m_videoCompressors(CompressorList::VideoCompressorsOfThisMachine())
    , m_audioCompressors(CompressorList::AudioCompressorsOfThisMachine())
{}

TimelineExporter::~TimelineExporter()
{
    StopExport();
    // A stopped ffmpeg may still be closing its file; it is not left behind as an orphan.
    for (QProcess *process : findChildren<QProcess *>()) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(2000);
        }
    }
}

void TimelineExporter::ClearTimeline()
{
    m_videoRanges.clear();
    m_audioRanges.clear();
}

bool TimelineExporter::AddVideoRange(const QString &file, double start, double stop, short track)
{
    Q_UNUSED(track) // one video track only
    return AddRange(m_videoRanges, file, start, stop, true);
}

bool TimelineExporter::AddAudioRange(const QString &file, double start, double stop)
{
    return AddRange(m_audioRanges, file, start, stop, false);
}

bool TimelineExporter::AddRange(
    QList<TimelineRange> &track, const QString &file, double start, double stop, bool video)
{
    const std::optional<MediaStreams> streams = MediaStreams::Probe(file);
    if (!streams || !(start >= 0.0) || !(stop >= start) || start > streams->duration)
        return false;
    TimelineRange range;
    range.file = QFileInfo(file).absoluteFilePath();
    range.start = start;
    range.stop = qMin(stop, streams->duration);
    range.hasStream = video ? streams->hasVideo : streams->hasAudio;
    track.append(range);
    return true;
}

double TimelineExporter::TimelineLength() const
{
    double video = 0.0;
    for (const TimelineRange &range : m_videoRanges)
        video += range.length();
    double audio = 0.0;
    for (const TimelineRange &range : m_audioRanges)
        audio += range.length();
    return qMax(video, audio);
}

void TimelineExporter::SetCompressorLists(const CompressorList &video, const CompressorList &audio)
{
    m_videoCompressors = video;
    m_audioCompressors = audio;
}

QStringList TimelineExporter::ExportArguments(const QString &file) const
{
    if (m_outputFormat != Mpeg && m_outputFormat != Avi)
        return {};
    if (m_width <= 0 || m_height <= 0 || !(m_frameRate > 0.0f) || !(TimelineLength() > 0.0))
        return {};

    QStringList arguments{QStringLiteral("-hide_banner"),
                          QStringLiteral("-nostats"),
                          QStringLiteral("-loglevel"),
                          QStringLiteral("error"),
                          QStringLiteral("-progress"),
                          QStringLiteral("pipe:1"),
                          QStringLiteral("-stats_period"),
                          QStringLiteral("0.25"),
                          QStringLiteral("-y")};
    // Each distinct piece is one input, cut by -ss/-t before decoding (exact when transcoding);
    // a picture range and a sound range of the same piece share it.
    QList<TimelineRange> inputs;
    auto inputOf = [&](const TimelineRange &range) {
        for (qsizetype i = 0; i < inputs.size(); ++i) {
            const TimelineRange &known = inputs.at(i);
            if (known.file == range.file && known.start == range.start
                && known.stop == range.stop) {
                return int(i);
            }
        }
        inputs.append(range);
        arguments << QStringLiteral("-ss") << Seconds(range.start) << QStringLiteral("-t")
                  << Seconds(range.length()) << QStringLiteral("-i")
                  << QStringLiteral("file:") + range.file;
        return int(inputs.size() - 1);
    };

    QStringList graph;
    QString videoPads;
    int videoCount = 0;
    for (const TimelineRange &range : m_videoRanges) {
        if (!range.hasStream || range.length() <= 0.0)
            continue;
        const QString pad = QStringLiteral("[v%1]").arg(videoCount++);
        graph << QStringLiteral("[%1:v:0]scale=%2:%3,setsar=1,fps=%4%5")
                     .arg(inputOf(range))
                     .arg(m_width)
                     .arg(m_height)
                     .arg(double(m_frameRate))
                     .arg(pad);
        videoPads += pad;
    }
    QString audioPads;
    int audioCount = 0;
    for (const TimelineRange &range : m_audioRanges) {
        if (!range.hasStream || range.length() <= 0.0)
            continue;
        const QString pad = QStringLiteral("[a%1]").arg(audioCount++);
        // One sample format and layout for all pieces, as concat needs.
        graph << QStringLiteral("[%1:a:0]aresample=44100,aformat=sample_rates=44100:"
                                "channel_layouts=stereo%2")
                     .arg(inputOf(range))
                     .arg(pad);
        audioPads += pad;
    }
    if (videoCount == 0 && audioCount == 0)
        return {};
    if (videoCount > 0)
        graph << QStringLiteral("%1concat=n=%2:v=1:a=0[v]").arg(videoPads).arg(videoCount);
    if (audioCount > 0)
        graph << QStringLiteral("%1concat=n=%2:v=0:a=1[a]").arg(audioPads).arg(audioCount);
    arguments << QStringLiteral("-filter_complex") << graph.join(QLatin1Char(';'));
    if (videoCount > 0)
        arguments << QStringLiteral("-map") << QStringLiteral("[v]");
    if (audioCount > 0)
        arguments << QStringLiteral("-map") << QStringLiteral("[a]");

    if (m_outputFormat == Mpeg) {
        // MPEG-1 knows 15 frames per second only as an extension, hence "unofficial".
        if (videoCount > 0)
            arguments << QStringLiteral("-c:v") << QStringLiteral("mpeg1video")
                      << QStringLiteral("-q:v") << QStringLiteral("3") << QStringLiteral("-strict")
                      << QStringLiteral("unofficial");
        if (audioCount > 0)
            arguments << QStringLiteral("-c:a") << QStringLiteral("mp2") << QStringLiteral("-b:a")
                      << QStringLiteral("192k");
        arguments << QStringLiteral("-f") << QStringLiteral("mpeg");
    } else {
        if (videoCount > 0) {
            const QString encoder = m_useVideoCompressor
                                        ? m_videoCompressors.EncoderAt(m_videoCompressor)
                                        : QString();
            if (m_useVideoCompressor && encoder.isEmpty())
                return {};
            if (encoder.isEmpty())
                arguments << QStringLiteral("-c:v") << QStringLiteral("rawvideo")
                          << QStringLiteral("-pix_fmt") << RawPixelFormat(m_colorDepth);
            else
                arguments << QStringLiteral("-c:v") << encoder << QStringLiteral("-q:v")
                          << QStringLiteral("3");
        }
        if (audioCount > 0) {
            const QString encoder = m_useAudioCompressor
                                        ? m_audioCompressors.EncoderAt(m_audioCompressor)
                                        : QString();
            if (m_useAudioCompressor && encoder.isEmpty())
                return {};
            arguments << QStringLiteral("-c:a")
                      << (encoder.isEmpty() ? QStringLiteral("pcm_s16le") : encoder);
            if (encoder == QLatin1String("libmp3lame"))
                arguments << QStringLiteral("-b:a") << QStringLiteral("128k");
        }
        arguments << QStringLiteral("-f") << QStringLiteral("avi");
    }
    arguments << QStringLiteral("file:") + file;
    return arguments;
}

bool TimelineExporter::StartExport(const QString &file)
{
    StopExport();
    const QStringList arguments = ExportArguments(file);
    const QString program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    const QFileInfo target(file);
    if (arguments.isEmpty() || program.isEmpty() || file.isEmpty()
        || !QFileInfo(target.absolutePath()).isWritable()) {
        return false;
    }

    auto *process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardErrorFile(QProcess::nullDevice());
    // Forked by the thread that owns the exporter, which lives as long as the program.
    SetUpOwnedChild(*process);
    m_parser = ExportProgressParser();
    m_total = TimelineLength();
    m_process = process;
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        ReadProgress(process);
    });
    connect(process, &QProcess::finished, this, [this, process] { OnProcessEnded(process); });
    // Standard input stays open: "q" on it is ffmpeg's own quit command.
    process->start(QIODevice::ReadWrite);
    // The result of exec arrives as an event; a failure never emits finished.
    while (process->state() == QProcess::Starting)
        WaitAndPumpMessages();
    if (process->state() == QProcess::NotRunning && process->error() == QProcess::FailedToStart) {
        if (m_process == process)
            m_process = nullptr;
        process->deleteLater();
        QFile::remove(file);
        return false;
    }
    if (m_paused)
        ::kill(-pid_t(process->processId()), SIGSTOP);
    return true;
}

void TimelineExporter::SetPaused(bool paused)
{
    m_paused = paused;
    if (m_process && m_process->state() == QProcess::Running)
        ::kill(-pid_t(m_process->processId()), paused ? SIGSTOP : SIGCONT);
}

void TimelineExporter::StopExport()
{
    QProcess *process = m_process;
    if (!process)
        return;
    // Detached first: nothing that the process still says becomes an event.
    m_process = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    // A paused ffmpeg cannot read its "q".
    ::kill(-pid_t(process->processId()), SIGCONT);
    process->write("q");
    process->closeWriteChannel();
    QTimer::singleShot(QuitGraceMs, process, [process] { process->kill(); });
}

void TimelineExporter::ReadProgress(QProcess *process)
{
    const QList<double> reached = m_parser.Feed(process->readAllStandardOutput());
    for (const double seconds : reached) {
        // A handler may stop the export, or a nested event pump may end it, between two events.
        if (m_process != process)
            return;
        emit ExportProgress(qBound(0.0, seconds, m_total), m_total);
    }
}

void TimelineExporter::OnProcessEnded(QProcess *process)
{
    if (m_process != process)
        return;
    ReadProgress(process);
    if (m_process != process)
        return;
    m_process = nullptr;
    process->deleteLater();
    // A failed ffmpeg ends the export as well; whoever waits for it must not wait forever.
    emit ExportFinished();
}
