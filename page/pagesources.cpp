#include "page/pagesources.h"

#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "media/sourcefiledialog.h"
#include "media/videoediterror.h"
#include "page/cmivarteldlg.h"
#include "page/previewtrim.h"
#include "page/sourcequeue.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

PageSources::PageSources(CMivartelDlg &page)
    : m_page(page)
    , m_chooseFiles(&SourceFileDialog::ChooseFiles)
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
    , m_queue(std::make_unique<SourceQueue>(page, *this))
{
    // The current folder is the program's own by now: no place to look for videos.
    if (m_folder.isEmpty() || !QFileInfo(m_folder).isDir())
        m_folder = QDir::homePath();
}

PageSources::~PageSources() = default;

void PageSources::OnAdd()
{
    if (m_page.converting())
        return;
    const QStringList files = m_chooseFiles(m_page.window(), m_folder);
    if (!files.isEmpty())
        AddSourcePaths(files);
}

void PageSources::AddSourcePaths(const QStringList &paths)
{
    m_queue->Enqueue(paths);
}

int PageSources::PendingCount() const
{
    return m_queue->pendingCount();
}

QString PageSources::UnreadableText(const QStringList &refused)
{
    if (refused.size() == 1)
        return QStringLiteral("This file was not added:\n%1").arg(refused[0]);
    return QStringLiteral("These files were not added:\n%1").arg(refused.join(QLatin1Char('\n')));
}

bool PageSources::AddSourcePath(const QString &path, QString *problem)
{
    if (m_page.converting())
        return false;
    // Absolute, because the batch runs in the engine's folder.
    const QString source = QFileInfo(path).absoluteFilePath();
    double duration = 0.0;
    try {
        duration = m_page.videoEdit()->GetMediaDuration(source);
    } catch (const VideoEditError &error) {
        if (problem)
            *problem = error.reason();
        return false;
    }
    ListSource(source, duration);
    ShowLastJob();
    return true;
}

void PageSources::ListSource(const QString &source, double duration)
{
    m_folder = QFileInfo(source).absolutePath();
    JobList &jobs = m_page.state().jobs;
    jobs.append(ConversionJob::ForSource(source, duration));
    m_page.jobList()->SetItemCount(jobs.count());
}

void PageSources::ShowLastJob()
{
    const JobList &jobs = m_page.state().jobs;
    if (jobs.count() == 0)
        return;
    // The video window takes the place of the picture once there is something to show.
    m_page.videoEdit()->show();
    m_page.fadeInPicture()->hide();

    PreviewTrim &trim = m_page.previewTrim();
    const ConversionJob job = jobs.copyOut(jobs.count() - 1);
    trim.SetSlider(0.0, 120.0, 0.0, 120.0);
    CCellListCtrl *list = m_page.jobList();
    list->RedrawItems(list->GetSelectionMark(), list->GetSelectionMark());
    m_page.selectedJobIndex = jobs.count() - 1;
    trim.SetSlider(0.0, job.endTime, 0.0, job.endTime);
    trim.ShowJobPicture(job.sourcePath, 1.0);
    list->SelectRow(m_page.selectedJobIndex);
}

void PageSources::RemoveSelected()
{
    if (m_page.converting())
        return;
    JobList &jobs = m_page.state().jobs;
    CCellListCtrl *list = m_page.jobList();
    const int row = list->GetSelectionMark();
    if (!jobs.isValidIndex(row))
        return;
    jobs.removeAt(row);
    list->SetItemCount(jobs.count());
    list->RedrawItems(list->GetSelectionMark(), list->GetSelectionMark());
    if (jobs.count() == 0) {
        ShowNoJob();
        return;
    }
    m_page.selectedJobIndex = qMin(row, jobs.count() - 1);
    m_page.previewTrim().SelectJob(m_page.selectedJobIndex);
}

void PageSources::RemoveAll()
{
    if (m_page.converting())
        return;
    m_queue->Clear();
    m_page.state().jobs.removeAll();
    m_page.jobList()->DeleteAllItems();
    ShowNoJob();
}

void PageSources::ShowNoJob()
{
    m_page.selectedJobIndex = -1;
    m_page.videoEdit()->ClearTimeline();
    m_page.previewTrim().SetSlider(0.0, 120.0, 0.0, 120.0);
}
