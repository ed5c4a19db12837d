#include "page/pagesources.h"

#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "media/sourcefiledialog.h"
#include "media/videoediterror.h"
#include "page/previewtrim.h"
#include "page/sourcequeue.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

PageSources::PageSources(const PageParts &parts, PreviewTrim &trim)
    : m_parts(parts)
    , m_trim(trim)
    , m_chooseFiles(&SourceFileDialog::ChooseFiles)
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
    , m_queue(std::make_unique<SourceQueue>(
          parts,
          SourceQueue::Listing{
              [this](const QString &path, double seconds) { ListSource(path, seconds); },
              [this] { ShowLastJob(); }}))
{
    // Not the working folder: that is wherever the program was started from.
    if (m_folder.isEmpty() || !QFileInfo(m_folder).isDir())
        m_folder = QDir::homePath();
}

PageSources::~PageSources() = default;

void PageSources::OnAdd()
{
    if (m_parts.state.converting)
        return;
    const QStringList files = m_chooseFiles(m_parts.page.window(), m_folder);
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

bool PageSources::AddSourcePath(const QString &path, QString *problem)
{
    if (m_parts.state.converting)
        return false;
    // Absolute, because the batch runs in the engine's folder.
    const QString source = QFileInfo(path).absoluteFilePath();
    double duration = 0.0;
    try {
        duration = m_parts.video.GetMediaDuration(source);
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
    JobList &jobs = m_parts.state.jobs;
    jobs.append(ConversionJob::ForSource(source, duration));
    m_parts.jobList.SetItemCount(jobs.count());
}

void PageSources::ListSaved(const QList<ConversionJob> &jobs)
{
    if (jobs.isEmpty())
        return;
    for (const ConversionJob &job : jobs)
        m_parts.state.jobs.append(job);
    m_parts.jobList.SetItemCount(m_parts.state.jobs.count());
    ShowLastJob();
}

void PageSources::ShowLastJob()
{
    const JobList &jobs = m_parts.state.jobs;
    if (jobs.count() == 0)
        return;
    // The video window takes the place of the picture once there is something to show.
    m_parts.video.show();
    m_parts.fadeIn.hide();

    m_trim.SetSlider(0.0, 120.0, 0.0, 120.0);
    CCellListCtrl *list = &m_parts.jobList;
    list->RedrawItems(list->GetSelectionMark(), list->GetSelectionMark());
    // Shown as a selected job is, so that the picture is the frame at the Begin its cell
    // reads (a saved job's too) and the slider spans the whole source.
    m_trim.SelectJob(jobs.count() - 1);
}

void PageSources::RemoveSelected()
{
    if (m_parts.state.converting)
        return;
    JobList &jobs = m_parts.state.jobs;
    CCellListCtrl *list = &m_parts.jobList;
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
    m_trim.SelectJob(qMin(row, jobs.count() - 1));
}

void PageSources::RemoveAll()
{
    if (m_parts.state.converting)
        return;
    m_queue->Clear();
    m_parts.state.jobs.removeAll();
    m_parts.jobList.DeleteAllItems();
    ShowNoJob();
}

void PageSources::ShowNoJob()
{
    m_trim.SetSelectedJob(-1);
    m_parts.video.ClearTimeline();
    m_trim.SetSlider(0.0, 120.0, 0.0, 120.0);
}
