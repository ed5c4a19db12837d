#include "page/previewtrim.h"

#include "controls/ccelllistctrl.h"
#include "controls/crangeslider.h"
#include "engine/cellrepainter.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "media/videoediterror.h"
#include "page/cmivarteldlg.h"
#include "page/pagesources.h"

#include <QDir>

#include <algorithm>
#include <cmath>

PreviewTrim::PreviewTrim(CMivartelDlg &page)
    : m_page(page)
{}

int PreviewTrim::MarkedJob() const
{
    const int mark = m_page.jobList()->GetSelectionMark();
    return m_page.state().jobs.isValidIndex(mark) ? mark : -1;
}

void PreviewTrim::SetSlider(double lower, double upper, double left, double right)
{
    m_page.sliderUpdating = 1;
    m_page.rangeSlider()->SetBounds(lower, upper);
    m_page.rangeSlider()->SetPositions(left, right);
    m_page.sliderUpdating = 0;
}

void PreviewTrim::SelectJob(int index)
{
    const JobList &jobs = m_page.state().jobs;
    if (!jobs.isValidIndex(index))
        return;
    const ConversionJob job = jobs.copyOut(index);
    double duration = job.endTime;
    try {
        duration = m_page.videoEdit()->GetMediaDuration(job.sourcePath);
    } catch (const VideoEditError &) {
        // The source is gone or no longer readable: the slider spans the job's own range and
        // the picture request below fails quietly.
    }
    SetSlider(0.0, duration, job.beginTime, job.endTime);
    ShowJobPicture(job.sourcePath, job.beginTime);
    m_page.jobList()->SelectRow(m_page.selectedJobIndex);
}

void PreviewTrim::ShowPicture(const QString &file, double seconds)
{
    CVideoEdit *video = m_page.videoEdit();
    // A flag whose playback was stopped by the page itself (Stop preview, a removal) would
    // never see PlaybackFinished and would block every later picture.
    if (m_page.framePreviewing && video->isPlaying())
        return;
    m_page.framePreviewing = 1;
    m_fullPreview = 0;
    try {
        const double duration = video->GetMediaDuration(file);
        video->ClearTimeline();
        video->SetColorDepth(24);
        // A range of no length leaves the frame of that time in the window; a longer one would
        // play on and leave a later frame.
        const double at = duration < seconds ? std::min(1.0, duration) : seconds;
        video->AddVideoRange(file, at, at, 0);
        video->Play();
    } catch (const VideoEditError &) {
        // No picture, and nothing to tell; but no playback will end either.
        m_page.framePreviewing = 0;
    }
}

void PreviewTrim::ShowJobPicture(const QString &file, double seconds)
{
    if (m_page.framePreviewing && m_page.videoEdit()->isPlaying())
        m_page.videoEdit()->StopPlayback();
    ShowPicture(file, seconds);
}

void PreviewTrim::OnRangeChanged(int wParam, int lParam)
{
    const int mark = MarkedJob();
    if (m_page.converting() || mark < 0 || m_page.sliderUpdating)
        return;
    JobList &jobs = m_page.state().jobs;
    ConversionJob job = jobs.copyOut(mark);
    CRangeSlider *slider = m_page.rangeSlider();
    // A drag's steps are left as they are: the cells show their whole seconds meanwhile.
    if (lParam != 0 || !slider->IsDragging())
        SnapSlider(wParam, job.beginTime, job.endTime, lParam == 0);
    slider->GetPositions(job.beginTime, job.endTime);
    jobs.replace(mark, job);
    m_page.jobList()->RepaintCells(m_page.selectedJobIndex, mark, JobColumn::BeginTime);
    m_page.jobList()->RepaintCells(m_page.selectedJobIndex, mark, JobColumn::EndTime);
    if (lParam == 0)
        return;
    if (wParam == CRangeSlider::LeftThumb || wParam == CRangeSlider::MiddleBar)
        ShowPicture(job.sourcePath, job.beginTime);
    else if (wParam == CRangeSlider::RightThumb)
        ShowPicture(job.sourcePath, job.endTime);
}

void PreviewTrim::SnapSlider(int part, double oldBegin, double oldEnd, bool byKey)
{
    CRangeSlider *slider = m_page.rangeSlider();
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
    m_page.sliderUpdating = 1;
    slider->SetPositions(begin, end);
    m_page.sliderUpdating = 0;
}

void PreviewTrim::Preview()
{
    const int mark = MarkedJob();
    if (m_page.converting() || mark < 0)
        return;
    m_fullPreview = 1;
    const ConversionJob job = m_page.state().jobs.copyOut(mark);
    CVideoEdit *video = m_page.videoEdit();
    try {
        video->ClearTimeline();
        video->SetColorDepth(24);
        video->AddVideoRange(job.sourcePath, job.beginTime, job.endTime, 0);
        video->AddAudioRange(job.sourcePath, job.beginTime, job.endTime);
        video->Play();
    } catch (const VideoEditError &) {
        // The source has gone or changed since it was added; say so rather than nothing.
        m_page.notices().Show(
            &m_page,
            PageSources::UnreadableText({QDir::toNativeSeparators(job.sourcePath)}),
            QStringLiteral("Error"),
            QMessageBox::Critical);
    }
}

void PreviewTrim::StopPreview()
{
    if (m_page.converting() || MarkedJob() < 0)
        return;
    m_page.videoEdit()->StopPlayback();
    m_fullPreview = 0;
}

void PreviewTrim::OnPlaybackFinished()
{
    if (!m_fullPreview)
        m_page.videoEdit()->StopPlayback();
    m_page.framePreviewing = 0;
}

void PreviewTrim::OnListClicked()
{
    if (m_page.converting())
        return;
    const int mark = MarkedJob();
    if (mark >= 0 && mark != m_page.selectedJobIndex) {
        m_page.selectedJobIndex = mark;
        SelectJob(mark);
    } else if (m_page.selectedJobIndex != -1) {
        m_page.jobList()->SelectRow(m_page.selectedJobIndex);
    }
}
