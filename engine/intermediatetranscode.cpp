#include "engine/intermediatetranscode.h"

#include "engine/cellrepainter.h"
#include "engine/compressorlist.h"
#include "engine/intermediatefiles.h"
#include "engine/messagepump.h"
#include "engine/outputfiles.h"
#include "engine/sharedstate.h"
#include "engine/timelineexporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <ctime>

namespace {

constexpr int StemLimit = 259; // a path buffer of 260 bytes held the stem

} // namespace

IntermediateTranscode::IntermediateTranscode(SharedState &state,
                                             TimelineExporter &control,
                                             QObject *parent)
    : QObject(parent)
    , m_state(state)
    , m_control(control)
{
    connect(&m_control,
            &TimelineExporter::ExportProgress,
            this,
            &IntermediateTranscode::OnExportProgress);
    connect(&m_control,
            &TimelineExporter::ExportFinished,
            this,
            &IntermediateTranscode::OnExportFinished);
}

IntermediateTranscode::~IntermediateTranscode()
{
    // A stop ends the export within the wait; this is for a transcode that goes while one
    // still runs.
    if (m_control.IsExporting() && m_state.cancelRequested && !m_exportingPath.isEmpty()) {
        m_control.StopExport();
        DeleteFileIfAny(m_exportingPath);
    }
}

void IntermediateTranscode::ExportIntermediate(int jobIndex)
{
    if (!m_state.jobs.isValidIndex(jobIndex))
        return;
    // The lists are asked afresh for every count and every name, as a control's may change.
    const short videoCount = m_control.GetVideoCompressors().Count();
    const short audioCount = m_control.GetAudioCompressors().Count();
    short videoMpeg4 = -1;
    short videoDivx = -1;
    for (short i = 0; i < videoCount; ++i) {
        const QString name = m_control.GetVideoCompressors().Item(i);
        if (name.contains(QLatin1String("Microsoft MPEG-4 Video Codec V3")))
            videoMpeg4 = i;
        if (name.contains(QLatin1String("DivX")))
            videoDivx = i;
    }
    short audioMp3 = -1;
    short audioPcm = -1;
    for (short i = 0; i < audioCount; ++i) {
        const QString name = m_control.GetAudioCompressors().Item(i);
        if (name.contains(QLatin1String("MPEG Layer-3")))
            audioMp3 = i;
        if (name.contains(QLatin1String("PCM")))
            audioPcm = i;
    }
    const short video = videoMpeg4 >= 0 ? videoMpeg4 : videoDivx;
    const short audio = audioMp3 >= 0 ? audioMp3 : audioPcm;
    const bool avi = video >= 0 && audio >= 0;

    ConversionJob job = m_state.jobs.copyOut(jobIndex);
    m_control.ClearTimeline();
    m_control.SetVideoWidth(320);
    m_control.SetVideoHeight(240);
    m_control.SetColorDepth(24);
    m_control.SetFrameRate(15.0f);
    if (avi) {
        m_control.SetOutputFormat(TimelineExporter::Avi);
        m_control.SetUseVideoCompressor(true);
        m_control.SetVideoCompressor(video);
        m_control.SetUseAudioCompressor(true);
        m_control.SetAudioCompressor(audio);
    } else {
        m_control.SetOutputFormat(TimelineExporter::Mpeg);
    }
    // Only the job's range, so the file starts at the range's time zero.
    m_control.AddVideoRange(job.sourcePath, job.beginTime, job.endTime, 0);
    m_control.AddAudioRange(job.sourcePath, job.beginTime, job.endTime);

    const QString stem = (IntermediateDirectory() + job.outputName).left(StemLimit);
    // Another job may still be encoding from its file: a cut stem and the same second's number
    // would give it the same name.
    QString name;
    for (int number = RandomBetween(10000, 50000);; ++number) {
        name = IntermediateFile(stem, number, avi);
        if (!IntermediateInUse(name, jobIndex))
            break;
    }
    job.intermediatePath = name;
    job.stage = JobStage::Exporting;
    job.intermediateDone = 0;
    m_state.jobs.replace(jobIndex, job);

    DeleteFileIfAny(name);
    if (!m_control.StartExport(name)) {
        // The job goes on at JobStage::Exporting, so the encoder reads the source itself.
        DeleteFileIfAny(name);
        return;
    }
    m_exportingPath = name;
    // The control's events arrive during the wait; there is no time-out.
    for (;;) {
        if (m_state.cancelRequested) {
            // At once: the export may end, or the next batch stop it, before another event.
            m_control.StopExport();
            DeleteFileIfAny(name);
            return;
        }
        if (!m_state.jobs.isValidIndex(m_state.currentJobIndex)
            || m_state.jobs.copyOut(m_state.currentJobIndex).intermediateDone == 1) {
            return;
        }
        WaitAndPumpMessages();
    }
}

void IntermediateTranscode::SetPaused(bool paused)
{
    m_control.SetPaused(paused);
}

void IntermediateTranscode::StopExport()
{
    m_control.StopExport();
}

void IntermediateTranscode::OnExportProgress(double done, double total)
{
    if (!m_state.jobs.isValidIndex(m_state.currentJobIndex))
        return;
    ConversionJob job = m_state.jobs.copyOut(m_state.currentJobIndex);
    // An empty range has no share to show; never write a NaN into the cell.
    if (total > 0.0)
        job.exportPercent = 100.0 / total * done;
    m_state.jobs.replace(m_state.currentJobIndex, job);
    m_state.RepaintProgressCell(m_state.currentJobIndex);
    PumpMessages();
    if (m_state.cancelRequested) {
        m_control.StopExport();
        if (m_state.jobs.isValidIndex(m_state.currentJobIndex))
            DeleteFileIfAny(m_state.jobs.copyOut(m_state.currentJobIndex).intermediatePath);
    }
}

void IntermediateTranscode::OnExportFinished()
{
    m_control.StopExport();
    // Stopped in the same pump: the wait deletes the file, and the job stays at its export.
    if (m_state.cancelRequested || !m_state.jobs.isValidIndex(m_state.currentJobIndex))
        return;
    ConversionJob job = m_state.jobs.copyOut(m_state.currentJobIndex);
    job.intermediateDone = 1;
    job.stage = JobStage::FirstPass;
    m_state.jobs.replace(m_state.currentJobIndex, job);
}

int IntermediateTranscode::RandomBetween(int low, int high)
{
    if (high < low)
        return low;
    std::srand(unsigned(std::time(nullptr)));
    const double unit = double(std::rand()) / (double(RAND_MAX) + 1.0);
    return low + int(unit * double(high - low + 1));
}

bool IntermediateTranscode::IntermediateInUse(const QString &path, int jobIndex) const
{
    for (int row = 0; row < m_state.jobs.count(); ++row) {
        if (row != jobIndex && m_state.IsRunning(row)
            && m_state.jobs.copyOut(row).intermediatePath == path)
            return true;
    }
    return false;
}

QString IntermediateTranscode::IntermediateDirectory() const
{
    const QFileInfo program(m_state.programDirectory);
    if (!m_state.programDirectory.isEmpty() && program.isDir() && program.isWritable())
        return m_state.programDirectory;
    const QString dir = IntermediateCacheDirectory();
    QDir().mkpath(dir);
    return dir;
}
