#include "page/pagebatch.h"

#include "controls/cimagebutton.h"
#include "engine/errorlog.h"
#include "engine/jobcelltext.h"
#include "engine/sharedstate.h"
#include "media/cvideoedit.h"
#include "page/cmivarteldlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>

const QString PageBatch::NoOutputDirectoryText
    = QStringLiteral("  Please set the output directory firstly   ");
const QString PageBatch::FinishedText
    = QStringLiteral("           \t          Converting Finished         \t            ");

PageBatch::PageBatch(CMivartelDlg &page, std::unique_ptr<PowerOffService> powerOff)
    : m_page(page)
    , m_shutdown(std::move(powerOff), [&page](QWidget *owner) {
        page.notices().Show(owner,
                            QStringLiteral("Your computer cannot shutdown"),
                            QStringLiteral("Warning"),
                            QMessageBox::Critical);
    })
{}

void PageBatch::StartConverting()
{
    SharedState &state = m_page.state();
    if (state.converting)
        return;
    const int jobCount = state.jobs.count();
    if (jobCount < 1)
        return;
    m_page.videoEdit()->StopExport();
    if (m_page.outputDirectoryField()->text().isEmpty()) {
        m_page.notices().Show(
            &m_page, NoOutputDirectoryText, QStringLiteral("Error"), QMessageBox::NoIcon);
        return;
    }
    if (!CheckOutputDirectory() || !CheckRanges(jobCount))
        return;
    state.outputType = m_page.outputTypeBox()->currentIndex();
    state.selectedProfile = m_page.profileList()->currentRow();
    // Every job would fail one after the other with a profile that cannot run.
    const QString problem = m_page.pipeline().ProfileProblem();
    if (!problem.isEmpty()) {
        m_page.notices().Show(&m_page,
                              QStringLiteral("  Cannot convert: %1.   ").arg(problem),
                              QStringLiteral("Error"),
                              QMessageBox::NoIcon);
        return;
    }

    m_closing = false;
    state.converting = 1;
    m_page.startButton()->hide();
    m_page.stopButton()->show();
    EnableProfileControls(false);
    emit batchStarted();
    const BatchOutcome outcome = m_page.batchConversion().RunJobs(jobCount);
    EnableProfileControls(true);
    state.converting = 0;
    m_page.stopButton()->hide();
    m_page.startButton()->show();
    EndBatch(outcome);
    emit batchUnwound();
}

bool PageBatch::CheckOutputDirectory()
{
    // Every job would fail one after the other, and the batch end with "Converting Finished".
    const QString directory = m_page.state().outputDirectory;
    const QFileInfo folder(directory);
    if (folder.isDir() && folder.isWritable())
        return true;
    m_page.notices().Show(&m_page,
                          QStringLiteral("  The output directory %1 does not exist or cannot "
                                         "be written   ")
                              .arg(QDir::toNativeSeparators(directory)),
                          QStringLiteral("Error"),
                          QMessageBox::NoIcon);
    return false;
}

bool PageBatch::CheckRanges(int jobCount)
{
    const JobList &jobs = m_page.state().jobs;
    QStringList empty;
    for (int i = 0; i < jobCount; ++i) {
        const ConversionJob job = jobs.copyOut(i);
        if (!(job.endTime > job.beginTime))
            empty.append(QFileInfo(job.sourcePath).fileName());
    }
    if (empty.isEmpty())
        return true;
    m_page.notices().Show(
        &m_page, EmptyRangeText(empty), QStringLiteral("Error"), QMessageBox::NoIcon);
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
    const SharedState &state = m_page.state();
    const bool shutDown = !outcome.canceled && m_page.shutDownBox()->isChecked();
    emit batchEnded(outcome.finished, outcome.failed, outcome.stopped);
    if (m_closing)
        return;
    if (shutDown) {
        m_shutdown.ShutDown(&m_page);
        return;
    }
    // Before the notice, which makes the window active.
    if (m_page.services().batchEnded)
        m_page.services().batchEnded(outcome, m_page.window()->isActiveWindow());
    if (!outcome.canceled && outcome.failed > 0) {
        m_page.notices().Show(
            &m_page,
            FailureText(outcome.failed, outcome.total(), ::LogPath(state.engineDirectory)),
            QStringLiteral("Warning"),
            QMessageBox::Warning);
    } else {
        m_page.notices().Show(
            &m_page, FinishedText, QStringLiteral("Information"), QMessageBox::NoIcon);
    }
}

QString PageBatch::FailureText(int failed, int total, const QString &logPath)
{
    return QStringLiteral("  %1 of %2 files could not be converted.   \n  See the log %3   ")
        .arg(failed)
        .arg(total)
        .arg(QDir::toNativeSeparators(logPath));
}

void PageBatch::StopConverting()
{
    if (!m_page.state().converting)
        return;
    m_page.batchConversion().StopConverting();
}

void PageBatch::StopForClose()
{
    if (!m_page.state().converting)
        return;
    m_closing = true;
    StopConverting();
}

void PageBatch::EnableProfileControls(bool enable)
{
    m_page.outputTypeBox()->setEnabled(enable);
    m_page.profileList()->setEnabled(enable);
    m_page.shutDownBox()->setEnabled(enable);
}
