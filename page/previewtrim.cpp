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
        if (duration < seconds)
            video->AddVideoRange(file, 1.0, 1.0, 0);
        else
            video->AddVideoRange(file, seconds, seconds + 1.0, 0);
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
    m_page.rangeSlider()->GetPositions(job.beginTime, job.endTime);
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
