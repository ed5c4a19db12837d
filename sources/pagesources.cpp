#include "sources/pagesources.h"

#include "engine/sharedstate.h"
#include "page/ccelllistctrl.h"
#include "page/cmivarteldlg.h"
#include "sources/crangeslider.h"
#include "sources/cvideoedit.h"
#include "sources/videoediterror.h"

#include <QFileInfo>

PageSources::PageSources(CMivartelDlg &page)
    : m_page(page)
{}

bool PageSources::AddSourcePath(const QString &path)
{
    // Absolute, because the batch runs in the engine's folder.
    const QString source = QFileInfo(path).absoluteFilePath();
    double duration = 0.0;
    try {
        duration = m_page.videoEdit()->GetMediaDuration(source);
    } catch (const VideoEditError &) {
        return false;
    }
    JobList &jobs = m_page.state().jobs;
    jobs.append(ConversionJob::ForSource(source, duration));
    SetSlider(0.0, 120.0, 0.0, 120.0);
    CCellListCtrl *list = m_page.jobList();
    list->SetItemCount(jobs.count());
    list->RedrawItems(list->GetSelectionMark(), list->GetSelectionMark());
    m_page.selectedJobIndex = jobs.count() - 1;
    SetSlider(0.0, duration, 0.0, duration);
    ShowPicture(source, 1.0);
    SelectRow(m_page.selectedJobIndex);
    return true;
}

void PageSources::SetSlider(double lower, double upper, double left, double right)
{
    m_page.sliderUpdating = 1;
    m_page.rangeSlider()->SetBounds(lower, upper);
    m_page.rangeSlider()->SetPositions(left, right);
    m_page.sliderUpdating = 0;
}

void PageSources::ShowPicture(const QString &file, double seconds)
{
    if (m_page.framePreviewing)
        return;
    m_page.framePreviewing = 1;
    CVideoEdit *video = m_page.videoEdit();
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
        // A picture that cannot be shown is no reason to tell the user anything.
    }
}

void PageSources::SelectRow(int row)
{
    m_page.jobList()->SelectRow(row);
}
