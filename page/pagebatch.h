#pragma once

#include "engine/batchoutcome.h"
#include "page/computershutdown.h"
#include "page/pageparts.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class CImageButton;
class JobList;
class PowerOffService;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
struct ConversionEngine;

// The page's controls that a batch reads or switches.
struct BatchControls
{
    CImageButton &start;
    CImageButton &stop;
    QComboBox &outputType;
    QListWidget &profiles;
    QCheckBox &shutDown;
    QLineEdit &outputDirectory;
};

// Start and Stop Converting on the page: the checks before a batch, the controls during it
// and the notice or the shutdown after it. The batch loop itself is BatchConversion's.
class PageBatch : public QObject
{
    Q_OBJECT

public:
    // Texts of the notices.
    static const QString NoOutputDirectoryText;
    static const QString FinishedText;

    // Told when a batch has ended, before its notice, with whether the window is active.
    using BatchEnded = std::function<void(const BatchOutcome &outcome, bool windowActive)>;

    // With no power-off service, systemd-logind's; batchEnded may be empty.
    PageBatch(const PageParts &parts,
              const BatchControls &controls,
              ConversionEngine &engine,
              BatchEnded batchEnded = {},
              std::unique_ptr<PowerOffService> powerOff = nullptr);

    // Runs the batch of RowsToStart (nested event loops) and returns when it has ended.
    void StartConverting();
    // The same for the given rows only (Retry).
    void StartConverting(const QList<int> &rows);
    // What Start converts: the rows that are not finished, in order; every row when all are
    // finished (or the list is empty).
    static QList<int> RowsToStart(const JobList &jobs);
    // Does nothing when no batch runs; safe to call again before the batch has unwound.
    void StopConverting();
    // Pauses a running batch, or resumes a paused one (Ctrl+P and the list's menu).
    void TogglePause();
    bool paused() const;
    // How many jobs convert at once; kept in the user's settings.
    void SetJobsAtOnce(int jobs);
    int jobsAtOnce() const;
    // The window is closing: stop, and end the batch without a notice or a shutdown.
    void StopForClose();
    // Told every second of a batch the share done (0 to 1), and -1 at its end.
    void SetProgressListener(std::function<void(double share)> listener)
    {
        m_progressListener = std::move(listener);
    }
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
    // StartConverting has returned to the event loop's level: no engine loop runs any more.
    void batchUnwound();

private:
    bool CheckOutputDirectory();
    // An empty range would reach ffmpeg as "-t 00:00:00", which converts to the source's end.
    bool CheckRanges(const QList<int> &rows);
    void EndBatch(const BatchOutcome &outcome);
    // The window's title with the batch's position and time left.
    void ShowTimeLeft();

    PageParts m_parts;
    BatchControls m_controls;
    ConversionEngine &m_engine;
    BatchEnded m_batchEnded;
    ComputerShutdown m_shutdown;
    bool m_closing = false;
    QString m_title; // the window's title outside a batch
    QTimer m_titleTimer;
    std::function<void(double share)> m_progressListener;
};
