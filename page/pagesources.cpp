#include "page/pagesources.h"

#include "controls/ccelllistctrl.h"
#include "controls/cfadeinpicture.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "media/sourcefiledialog.h"
#include "media/videoediterror.h"
#include "page/cmivarteldlg.h"
#include "page/previewtrim.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

PageSources::PageSources(CMivartelDlg &page)
    : m_page(page)
    , m_chooseFiles(&SourceFileDialog::ChooseFiles)
    , m_folder(QStandardPaths::writableLocation(QStandardPaths::MoviesLocation))
{
    // The current folder is the program's own by now: no place to look for videos.
    if (m_folder.isEmpty() || !QFileInfo(m_folder).isDir())
        m_folder = QDir::homePath();
}

void PageSources::OnAdd()
{
    if (m_page.converting())
        return;
    const QStringList files = m_chooseFiles(m_page.window(), m_folder);
    if (!files.isEmpty())
        AddSourcePaths(files);
}

int PageSources::AddSourcePaths(const QStringList &paths)
{
    QStringList refused;
    int added = 0;
    for (const QString &path : paths) {
        // A notice of an earlier file may have let a batch start meanwhile.
        if (m_page.converting())
            break;
        QString problem;
        if (AddSourcePath(path, &problem))
            ++added;
        else
            refused.append(QStringLiteral("%1: %2").arg(
                QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()), problem));
    }
    // One notice for all, after the others are in: nobody wants a box per file.
    if (!refused.isEmpty())
        m_page.notices().Show(
            &m_page, UnreadableText(refused), QStringLiteral("Error"), QMessageBox::Critical);
    return added;
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
    m_folder = QFileInfo(source).absolutePath();
    // The video window takes the place of the picture once there is something to show.
    m_page.videoEdit()->show();
    m_page.fadeInPicture()->hide();

    PreviewTrim &trim = m_page.previewTrim();
    JobList &jobs = m_page.state().jobs;
    jobs.append(ConversionJob::ForSource(source, duration));
    trim.SetSlider(0.0, 120.0, 0.0, 120.0);
    CCellListCtrl *list = m_page.jobList();
    list->SetItemCount(jobs.count());
    list->RedrawItems(list->GetSelectionMark(), list->GetSelectionMark());
    m_page.selectedJobIndex = jobs.count() - 1;
    trim.SetSlider(0.0, duration, 0.0, duration);
    trim.ShowJobPicture(source, 1.0);
    list->SelectRow(m_page.selectedJobIndex);
    return true;
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
