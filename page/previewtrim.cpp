#include "page/previewtrim.h"

#include "controls/ccelllistctrl.h"
#include "controls/crangeslider.h"
#include "engine/cellrepainter.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "media/videoediterror.h"
#include "page/notices.h"

#include <QDir>

#include <algorithm>
#include <cmath>

PreviewTrim::PreviewTrim(const PageParts &parts)
    : m_parts(parts)
{
    m_keyRest.setSingleShot(true);
    m_keyRest.setInterval(KeyRestMs);
    QObject::connect(&m_keyRest, &QTimer::timeout, &m_parts.page, [this] { ShowKeyedPicture(); });
}

int PreviewTrim::MarkedJob() const
{
    const int mark = m_parts.jobList.GetSelectionMark();
    return m_parts.state.jobs.isValidIndex(mark) ? mark : -1;
}

void PreviewTrim::SetSlider(double lower, double upper, double left, double right)
{
    m_sliderUpdating = 1;
    m_parts.slider.SetBounds(lower, upper);
    m_parts.slider.SetPositions(left, right);
    m_sliderUpdating = 0;
}

void PreviewTrim::SelectJob(int index)
{
    m_keyRest.stop();
    m_selectedJob = index;
    const JobList &jobs = m_parts.state.jobs;
    if (!jobs.isValidIndex(index))
        return;
    const ConversionJob job = jobs.copyOut(index);
    double duration = job.endTime;
    try {
        duration = m_parts.video.GetMediaDuration(job.sourcePath);
    } catch (const VideoEditError &) {
        // The source is gone or no longer readable: the slider spans the job's own range and
        // the picture request below fails quietly.
    }
    SetSlider(0.0, duration, job.beginTime, job.endTime);
    ShowJobPicture(job.sourcePath, job.beginTime);
    m_parts.jobList.SelectRow(m_selectedJob);
}

void PreviewTrim::ShowPicture(const QString &file, double seconds)
{
    CVideoEdit *video = &m_parts.video;
    // A flag whose playback was stopped by the page itself (Stop preview, a removal) would
    // never see PlaybackFinished and would block every later picture.
    if (m_framePreview && video->isPlaying())
        return;
    m_framePreview = 1;
    m_fullPreview = 0;
    try {
        const double duration = video->GetMediaDuration(file);
        video->ClearTimeline();
        video->exporter().SetColorDepth(24);
        // A range of no length leaves the frame of that time in the window; a longer one would
        // play on and leave a later frame.
        const double at = duration < seconds ? std::min(1.0, duration) : seconds;
        video->AddVideoRange(file, at, at, 0);
        video->Play();
    } catch (const VideoEditError &) {
        // No picture, and nothing to tell; but no playback will end either.
        m_framePreview = 0;
    }
}

void PreviewTrim::ShowJobPicture(const QString &file, double seconds)
{
    if (m_framePreview && m_parts.video.isPlaying())
        m_parts.video.StopPlayback();
    ShowPicture(file, seconds);
}

void PreviewTrim::OnRangeChanged(CRangeSlider::Part part, bool released)
{
    const int mark = MarkedJob();
    if (m_parts.state.converting || mark < 0 || m_sliderUpdating)
        return;
    JobList &jobs = m_parts.state.jobs;
    ConversionJob job = jobs.copyOut(mark);
    CRangeSlider *slider = &m_parts.slider;
    // A drag's steps are left as they are: the cells show their whole seconds meanwhile.
    if (released || !slider->IsDragging())
        SnapSlider(part, job.beginTime, job.endTime, !released);
    slider->GetPositions(job.beginTime, job.endTime);
    jobs.replace(mark, job);
    m_parts.jobList.RepaintCells(m_selectedJob, mark, JobColumn::BeginTime);
    m_parts.jobList.RepaintCells(m_selectedJob, mark, JobColumn::EndTime);
    if (!released) {
        // A picture per key press of a held key would fall behind; the last one counts.
        if (!slider->IsDragging()) {
            m_keyedPart = part;
            m_keyRest.start();
        }
        return;
    }
    m_keyRest.stop();
    if (part == CRangeSlider::LeftThumb || part == CRangeSlider::MiddleBar)
        ShowPicture(job.sourcePath, job.beginTime);
    else if (part == CRangeSlider::RightThumb)
        ShowPicture(job.sourcePath, LastKeptTime(job));
}

double PreviewTrim::LastKeptTime(const ConversionJob &job)
{
    // The frame at End is the first one the output leaves out; the one on screen a moment
    // before it is the last one it holds (no source has frames shorter than a millisecond).
    return std::max(job.beginTime, job.endTime - 0.001);
}

void PreviewTrim::ShowKeyedPicture()
{
    const int mark = MarkedJob();
    if (m_parts.state.converting || mark < 0)
        return;
    const ConversionJob job = m_parts.state.jobs.copyOut(mark);
    const bool end = m_keyedPart == CRangeSlider::RightThumb;
    // A picture still under way would drop this one and leave a stale end in the window.
    ShowJobPicture(job.sourcePath, end ? LastKeptTime(job) : job.beginTime);
}

void PreviewTrim::SnapSlider(int part, double oldBegin, double oldEnd, bool byKey)
{
    CRangeSlider *slider = &m_parts.slider;
    const double upper = slider->UpperBound();
    // A source under a second converts whole; there is no whole second to put a thumb on.
    if (upper < 1.0)
        return;
    double begin = 0.0;
    double end = 0.0;
    slider->GetPositions(begin, end);
    // Down to the second the cell shows. A key moves a thumb by a pixel, often less than a
    // second: it goes on to the next whole second instead, or the key would never move it.
    const auto whole = [byKey, upper](double position, double old) {
        return std::min(byKey && position > old ? std::ceil(position) : std::floor(position),
                        upper);
    };
    // The slider puts both ends on its pixel steps; the end a key did not move keeps its
    // second, or rounding up would move it too.
    if (byKey && part == CRangeSlider::RightThumb)
        begin = oldBegin;
    if (byKey && part == CRangeSlider::LeftThumb)
        end = oldEnd;
    // The source's own end stays exact, so that the output reaches it.
    end = end >= upper ? upper : whole(end, oldEnd);
    begin = whole(begin, oldBegin);
    // An empty range would convert nothing; the end that moved gives way first.
    if (end - begin < 1.0) {
        if (part == CRangeSlider::LeftThumb) {
            begin = std::max(0.0, std::floor(end - 1.0));
            end = std::max(end, begin + 1.0);
        } else {
            end = std::min(upper, begin + 1.0);
            begin = std::min(begin, std::floor(end - 1.0));
        }
    }
    m_sliderUpdating = 1;
    slider->SetPositions(begin, end);
    m_sliderUpdating = 0;
}

void PreviewTrim::Preview()
{
    const int mark = MarkedJob();
    if (m_parts.state.converting || mark < 0)
        return;
    m_fullPreview = 1;
    const ConversionJob job = m_parts.state.jobs.copyOut(mark);
    CVideoEdit *video = &m_parts.video;
    try {
        video->ClearTimeline();
        video->exporter().SetColorDepth(24);
        video->AddVideoRange(job.sourcePath, job.beginTime, job.endTime, 0);
        video->AddAudioRange(job.sourcePath, job.beginTime, job.endTime);
        video->Play();
    } catch (const VideoEditError &) {
        // The source has gone or changed since it was added; say so rather than nothing.
        m_parts.notices.Show(&m_parts.page,
                             UnreadableSourcesText({QDir::toNativeSeparators(job.sourcePath)}),
                             QStringLiteral("Error"),
                             QMessageBox::Critical);
    }
}

void PreviewTrim::StopPreview()
{
    if (m_parts.state.converting || MarkedJob() < 0)
        return;
    m_parts.video.StopPlayback();
    m_fullPreview = 0;
}

void PreviewTrim::OnPlaybackFinished()
{
    if (!m_fullPreview)
        m_parts.video.StopPlayback();
    m_framePreview = 0;
}

void PreviewTrim::OnListClicked()
{
    if (m_parts.state.converting)
        return;
    const int mark = MarkedJob();
    if (mark >= 0 && mark != m_selectedJob)
        SelectJob(mark);
    else if (m_selectedJob != -1)
        m_parts.jobList.SelectRow(m_selectedJob);
}
