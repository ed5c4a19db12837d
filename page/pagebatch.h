#pragma once

#include "engine/batchoutcome.h"
#include "page/computershutdown.h"

#include <QObject>
#include <QString>

#include <memory>

class CMivartelDlg;
class PowerOffService;

// Start and Stop Converting on the page: the checks before a batch, the controls during it
// and the notice or the shutdown after it. The batch loop itself is BatchConversion's.
class PageBatch : public QObject
{
    Q_OBJECT

public:
    // Texts of the notices.
    static const QString NoOutputDirectoryText;
    static const QString FinishedText;

    // With no power-off service, systemd-logind's.
    PageBatch(CMivartelDlg &page, std::unique_ptr<PowerOffService> powerOff = nullptr);

    // Runs the whole batch (nested event loops) and returns when it has ended.
    void StartConverting();
    // Does nothing when no batch runs; safe to call again before the batch has unwound.
    void StopConverting();
    // The window is closing: stop, and end the batch without a notice or a shutdown.
    void StopForClose();
    // The output type box, the profile list and the shutdown box.
    void EnableProfileControls(bool enable);

    // The notice naming the jobs (file names) whose end is not after their begin.
    static QString EmptyRangeText(const QStringList &names);
    // The notice of a batch in which some jobs failed.
    static QString FailureText(int failed, int total, const QString &logPath);

signals:
    // `converting` has just become 1: from now on until batchUnwound the job list must not
    // change.
    void batchStarted();
    // The one place where a batch ends, once the notice or the shutdown has been decided and
    // before it is shown; a desktop notification belongs here.
    void batchEnded(int finished, int failed, int stopped);
    // StartConverting has returned to the event loop's level: no engine loop runs any more.
    void batchUnwound();

private:
    bool CheckOutputDirectory();
    // An empty range would reach ffmpeg as "-t 00:00:00", which converts to the source's end.
    bool CheckRanges(int jobCount);
    void EndBatch(const BatchOutcome &outcome);

    CMivartelDlg &m_page;
    ComputerShutdown m_shutdown;
    bool m_closing = false;
};
