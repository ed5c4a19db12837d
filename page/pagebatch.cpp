#include "page/pagebatch.h"

#include "controls/cimagebutton.h"
#include "engine/conversionengine.h"
#include "engine/errorlog.h"
#include "engine/jobcelltext.h"
#include "engine/jobsatonce.h"
#include "engine/sharedstate.h"
#include "engine/tickcount.h"
#include "media/cvideoedit.h"
#include "page/notices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>

const QString PageBatch::NoOutputDirectoryText
    = QStringLiteral("  Please set the output directory firstly   ");
const QString PageBatch::FinishedText
    = QStringLiteral("           \t          Converting Finished         \t            ");

PageBatch::PageBatch(const PageParts &parts,
                     const BatchControls &controls,
                     ConversionEngine &engine,
                     BatchEnded batchEnded,
                     std::unique_ptr<PowerOffService> powerOff)
    : m_parts(parts)
    , m_controls(controls)
    , m_engine(engine)
    , m_batchEnded(std::move(batchEnded))
    , m_shutdown(std::move(powerOff), [&notices = parts.notices](QWidget *owner) {
        notices.Show(owner,
                     QStringLiteral("Your computer cannot shutdown"),
                     QStringLiteral("Warning"),
                     QMessageBox::Critical);
    })
{
    auto *pause = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), &parts.page);
    connect(pause, &QShortcut::activated, this, &PageBatch::TogglePause);
    m_engine.batch.SetJobsAtOnce(JobsAtOnceSetting());
    m_titleTimer.setInterval(1000);
    connect(&m_titleTimer, &QTimer::timeout, this, &PageBatch::ShowTimeLeft);
}

void PageBatch::ShowTimeLeft()
{
    if (!m_parts.state.converting)
        return;
    m_parts.page.window()->setWindowTitle(m_title + QStringLiteral(" - ")
                                          + m_engine.batch.estimate().Summary(TickCount()));
    if (m_progressListener)
        m_progressListener(m_engine.batch.estimate().ShareDone());
}

void PageBatch::StartConverting()
{
    StartConverting(RowsToStart(m_parts.state.jobs));
}

QList<int> PageBatch::RowsToStart(const JobList &jobs)
{
    // A finished row's file is in the output folder; Start never overwrites it while other
    // rows still wait. Retry converts one such row again.
    QList<int> rows;
    for (int row = 0; row < jobs.count(); ++row) {
        if (!jobs.copyOut(row).finished)
            rows.append(row);
    }
    if (rows.isEmpty())
        return BatchConversion::FirstRows(jobs.count());
    return rows;
}

void PageBatch::StartConverting(const QList<int> &rows)
{
    SharedState &state = m_parts.state;
    if (state.converting)
        return;
    if (rows.isEmpty())
        return;
    m_parts.video.exporter().StopExport();
    if (m_controls.outputDirectory.text().isEmpty()) {
        m_parts.notices.Show(
            &m_parts.page, NoOutputDirectoryText, QStringLiteral("Error"), QMessageBox::NoIcon);
        return;
    }
    if (!CheckOutputDirectory() || !CheckRanges(rows))
        return;
    state.outputType = m_controls.outputType.currentIndex();
    state.selectedProfile = m_controls.profiles.currentRow();
    // Every job would fail one after the other with a profile that cannot run; and a message
    // too large to send is no result. Better to say so before any work.
    QString problem = m_engine.pipeline.ProfileProblem();
    if (problem.isEmpty())
        problem = m_engine.pipeline.SizeProblem(rows);
    if (!problem.isEmpty()) {
        m_parts.notices.Show(&m_parts.page,
                             QStringLiteral("  Cannot convert: %1.   ").arg(problem),
                             QStringLiteral("Error"),
                             QMessageBox::NoIcon);
        return;
    }

    m_closing = false;
    state.converting = 1;
    m_controls.start.hide();
    m_controls.stop.show();
    EnableProfileControls(false);
    emit batchStarted();
    m_title = m_parts.page.window()->windowTitle();
    m_titleTimer.start();
    // At once, from within the batch's loop (which starts the estimate), not a second late.
    QTimer::singleShot(0, this, &PageBatch::ShowTimeLeft);
    const BatchOutcome outcome = m_engine.batch.RunJobs(rows);
    m_titleTimer.stop();
    m_parts.page.window()->setWindowTitle(m_title);
    if (m_progressListener)
        m_progressListener(-1.0);
    EnableProfileControls(true);
    state.converting = 0;
    m_controls.stop.hide();
    m_controls.start.show();
    EndBatch(outcome);
    emit batchUnwound();
}

bool PageBatch::CheckOutputDirectory()
{
    // Every job would fail one after the other, and the batch end with "Converting Finished".
    const QString directory = m_parts.state.outputDirectory;
    const QFileInfo folder(directory);
    if (folder.isDir() && folder.isWritable())
        return true;
    m_parts.notices.Show(&m_parts.page,
                         QStringLiteral("  The output directory %1 does not exist or cannot "
                                        "be written   ")
                             .arg(QDir::toNativeSeparators(directory)),
                         QStringLiteral("Error"),
                         QMessageBox::NoIcon);
    return false;
}

bool PageBatch::CheckRanges(const QList<int> &rows)
{
    const JobList &jobs = m_parts.state.jobs;
    QStringList empty;
    for (const int row : rows) {
        const ConversionJob job = jobs.copyOut(row);
        if (!(job.endTime > job.beginTime))
            empty.append(QFileInfo(job.sourcePath).fileName());
    }
    if (empty.isEmpty())
        return true;
    m_parts.notices.Show(
        &m_parts.page, EmptyRangeText(empty), QStringLiteral("Error"), QMessageBox::NoIcon);
    return false;
}

QString PageBatch::EmptyRangeText(const QStringList &names)
{
    if (names.size() == 1)
        return QStringLiteral(
                   "  The range of this job is empty; move its end past its begin:   \n%1")
            .arg(names[0]);
    return QStringLiteral(
               "  The ranges of these jobs are empty; move their ends past their begins:   \n%1")
        .arg(names.join(QLatin1Char('\n')));
}

void PageBatch::EndBatch(const BatchOutcome &outcome)
{
    // Each failed job's reason is already in the log, written by the batch loop.
    const SharedState &state = m_parts.state;
    const bool shutDown = !outcome.canceled && m_controls.shutDown.isChecked();
    if (m_closing)
        return;
    if (shutDown) {
        m_shutdown.ShutDown(&m_parts.page);
        return;
    }
    // Before the notice, which makes the window active.
    if (m_batchEnded)
        m_batchEnded(outcome, m_parts.page.window()->isActiveWindow());
    if (!outcome.canceled && outcome.failed > 0) {
        m_parts.notices.Show(
            &m_parts.page,
            FailureText(outcome.failed, outcome.total(), ::LogPath(state.engineDirectory)),
            QStringLiteral("Warning"),
            QMessageBox::Warning);
    } else {
        m_parts.notices.Show(
            &m_parts.page, FinishedText, QStringLiteral("Information"), QMessageBox::NoIcon);
    }
}

QString PageBatch::FailureText(int failed, int total, const QString &logPath)
{
    return QStringLiteral("  %1 of %2 files could not be converted.   \n  See the log %3   ")
        .arg(failed)
        .arg(total)
        .arg(QDir::toNativeSeparators(logPath));
}

void PageBatch::TogglePause()
{
    if (!m_parts.state.converting)
        return;
    if (m_parts.state.paused)
        m_engine.batch.Resume();
    else
        m_engine.batch.Pause();
    ShowTimeLeft();
}

bool PageBatch::paused() const
{
    return m_parts.state.paused != 0;
}

void PageBatch::SetJobsAtOnce(int jobs)
{
    m_engine.batch.SetJobsAtOnce(jobs);
    SetJobsAtOnceSetting(m_engine.batch.jobsAtOnce());
}

int PageBatch::jobsAtOnce() const
{
    return m_engine.batch.jobsAtOnce();
}

void PageBatch::StopConverting()
{
    if (!m_parts.state.converting)
        return;
    m_engine.batch.StopConverting();
}

void PageBatch::StopForClose()
{
    if (!m_parts.state.converting)
        return;
    m_closing = true;
    StopConverting();
}

void PageBatch::EnableProfileControls(bool enable)
{
    m_controls.outputType.setEnabled(enable);
    m_controls.profiles.setEnabled(enable);
    m_controls.shutDown.setEnabled(enable);
}
