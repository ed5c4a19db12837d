#include "page/jobmenu.h"

#include "controls/ccelllistctrl.h"
#include "engine/batchconversion.h"
#include "engine/outputfiles.h"
#include "engine/sharedstate.h"
#include "engine/usersettings.h"
#include "page/notices.h"
#include "page/pagebatch.h"
#include "page/pagesources.h"
#include "page/previewtrim.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QThread>
#include <QTimer>

#include <algorithm>

const QString JobMenu::RetryText = QStringLiteral("Retry");
const QString JobMenu::RemoveText = QStringLiteral("Remove");
const QString JobMenu::OpenFolderText = QStringLiteral("Open Containing Folder");
const QString JobMenu::PlayOutputText = QStringLiteral("Play Output");
const QString JobMenu::ShowErrorText = QStringLiteral("Show Error");
const QString JobMenu::JobsAtOnceText = QStringLiteral("Jobs at Once");
const QString JobMenu::EvenLoudnessText = QStringLiteral("Even Out the Loudness");

JobMenu::JobMenu(const PageParts &parts,
                 PageBatch &batch,
                 PageSources &sources,
                 PreviewTrim &trim,
                 OpenUrl openUrl)
    : QObject(&parts.page)
    , m_parts(parts)
    , m_batch(batch)
    , m_sources(sources)
    , m_trim(trim)
    , m_openUrl(std::move(openUrl))
{
    CCellListCtrl &list = m_parts.jobList;
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &QWidget::customContextMenuRequested, this, &JobMenu::Show);
}

JobMenu::Items JobMenu::ItemsFor(const SharedState &state, int row)
{
    Items items;
    items.pause = state.converting != 0;
    if (!state.jobs.isValidIndex(row))
        return items;
    const ConversionJob job = state.jobs.copyOut(row);
    const bool running = state.IsRunning(row);
    const QString final = FinalFile(state.outputDirectory, job.outputName, state.outputType);
    // A row that waits is Start's; one that has run, however it ended, may run again.
    items.retry
        = !state.converting && (job.finished || job.failed || job.stage == JobStage::Canceled);
    items.remove = !state.converting;
    items.openFolder = QFileInfo(state.outputDirectory).isDir();
    items.playOutput = !running && job.finished && QFileInfo(final).isFile();
    items.showError = job.failed != 0;
    return items;
}

QMenu *JobMenu::MenuFor(int row)
{
    const Items items = ItemsFor(m_parts.state, row);
    auto *menu = new QMenu(&m_parts.page);
    auto add = [menu](const QString &text, bool enabled, auto slot) {
        QAction *action = menu->addAction(text, slot);
        action->setEnabled(enabled);
    };
    add(m_batch.paused() ? QStringLiteral("Resume") : QStringLiteral("Pause"), items.pause, [this] {
        m_batch.TogglePause();
    });
    menu->addSeparator();
    add(RetryText, items.retry, [this, row] { Retry(row); });
    add(RemoveText, items.remove, [this, row] {
        // Remove acts on the selected row. Only the choice moves: a picture of a job about to
        // go would be work thrown away.
        m_trim.SetSelectedJob(row);
        m_parts.jobList.SelectRow(row);
        m_sources.RemoveSelected();
    });
    menu->addSeparator();
    add(OpenFolderText, items.openFolder, [this] {
        Open(QUrl::fromLocalFile(m_parts.state.outputDirectory));
    });
    add(PlayOutputText, items.playOutput, [this, row] { Open(OutputUrl(row)); });
    add(ShowErrorText, items.showError, [this, row] {
        if (!m_parts.state.jobs.isValidIndex(row))
            return;
        const ConversionJob job = m_parts.state.jobs.copyOut(row);
        m_parts.notices.Show(&m_parts.page,
                             QStringLiteral("%1:\n%2").arg(QDir::toNativeSeparators(job.sourcePath),
                                                           job.failureReason),
                             QStringLiteral("Error"),
                             QMessageBox::Warning);
    });
    menu->addSeparator();
    // From one to a job per processor, or to the default when that is more.
    QMenu *jobsAtOnce = menu->addMenu(JobsAtOnceText);
    const int most = std::max(
        {QThread::idealThreadCount(), BatchConversion::DefaultJobsAtOnce(), m_batch.jobsAtOnce()});
    for (int jobs = 1; jobs <= qMin(most, BatchConversion::MaxJobsAtOnce); ++jobs) {
        QAction *action = jobsAtOnce->addAction(QString::number(jobs),
                                                [this, jobs] { m_batch.SetJobsAtOnce(jobs); });
        action->setCheckable(true);
        action->setChecked(jobs == m_batch.jobsAtOnce());
    }
    // Read by the jobs as they start: not changed under a running batch.
    QAction *even = menu->addAction(EvenLoudnessText, [this](bool checked) {
        m_parts.state.evenLoudness = checked;
        UserSettings::SetEvenLoudness(checked);
    });
    even->setCheckable(true);
    even->setChecked(m_parts.state.evenLoudness);
    even->setEnabled(!m_parts.state.converting);
    return menu;
}

void JobMenu::Show(const QPoint &pos)
{
    CCellListCtrl &list = m_parts.jobList;
    int row = list.rowAt(pos.y());
    // The Menu key: the selected row.
    if (row < 0)
        row = list.GetSelectionMark();
    QMenu *menu = MenuFor(row);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(list.viewport()->mapToGlobal(pos));
}

void JobMenu::Retry(int row)
{
    SharedState &state = m_parts.state;
    if (state.converting || !state.jobs.isValidIndex(row))
        return;
    // Back to not started, and converted at once on its own (the list selects one row); a
    // finished row's file is its own, so the new run replaces it under the same name.
    ConversionJob job = state.jobs.copyOut(row);
    job.finished = 0;
    job.failed = 0;
    job.failureReason.clear();
    job.stage = JobStage::Exporting;
    state.jobs.replace(row, job);
    m_parts.jobList.RedrawItems(row, row);
    // From the event loop's own level, not from within the menu's signal.
    QTimer::singleShot(0, &m_batch, [this, row] { m_batch.StartConverting({row}); });
}

QString JobMenu::NoProgramText(const QString &path)
{
    return (QFileInfo(path).isDir() ? QStringLiteral("No program is set to open this folder:\n%1")
                                    : QStringLiteral("No program is set to open this file:\n%1"))
        .arg(QDir::toNativeSeparators(path));
}

void JobMenu::Open(const QUrl &url)
{
    if (url.isEmpty() || m_openUrl(url))
        return;
    // The desktop has no program for it; without this the user would see nothing happen.
    m_parts.notices.Show(&m_parts.page,
                         NoProgramText(url.toLocalFile()),
                         QStringLiteral("Warning"),
                         QMessageBox::Warning);
}

QUrl JobMenu::OutputUrl(int row) const
{
    const SharedState &state = m_parts.state;
    if (!state.jobs.isValidIndex(row))
        return {};
    return QUrl::fromLocalFile(
        FinalFile(state.outputDirectory, state.jobs.copyOut(row).outputName, state.outputType));
}
