#pragma once

#include "engine/mediaduration.h"
#include "page/pageparts.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QThreadPool>

#include <deque>
#include <functional>

class QLabel;

// Files on their way into the job list. They are measured one after another on a worker
// thread and listed on the UI thread in the order given, a few at a time between events, so
// that the window keeps painting and answering however many come. The list does not change
// while a batch runs: files are held and listed once it has ended. A line under the job list
// counts the files still to come.
class SourceQueue : public QObject
{
    Q_OBJECT

public:
    // At most this many files are listed before the event loop gets its turn again.
    static constexpr int FilesPerStep = 50;
    // Where the count is shown: the free strip between the job list's frame and the Start
    // button, under the list that is filling.
    static constexpr QRect CountPlace{23, 462, 420, 16};

    // Where the measured files go: list adds one job, listed is told once the files that
    // came so far are in (so that the last one shows its picture).
    struct Listing
    {
        std::function<void(const QString &path, double seconds)> list;
        std::function<void()> listed;
    };

    // The count's line goes on parts.page.
    SourceQueue(const PageParts &parts, Listing listing);
    // Drops what waits and lets the file being measured finish (a few milliseconds, at most
    // the measuring's time limit).
    ~SourceQueue() override;

    // Takes the files as one set: each readable one becomes a job at the end of the list, and
    // the ones that are not are named in one "Error" notice once the whole set is through.
    // Relative paths are taken from the current folder now. Returns at once.
    void Enqueue(const QStringList &paths);
    // Forgets every file not listed yet, with no notice.
    void Clear();
    // Files taken but not listed yet.
    int pendingCount() const { return int(m_waiting.size()); }
    QLabel *countLabel() const { return m_countLabel; }
    // A batch has started: the files still to come wait for its end, and the count says so.
    void OnBatchStarted();
    // The batch has unwound: the files held meanwhile are listed now.
    void OnBatchUnwound();

private:
    struct Set
    {
        int left = 0;        // its files not listed yet
        QStringList refused; // "path: reason"
    };

    // Worker thread: measures the files and hands each result to the UI thread in order.
    void Measure(const QStringList &paths, quint64 generation);
    // UI thread: lists what has been measured, up to FilesPerStep.
    void ScheduleStep();
    void ListMeasured();
    void ShowCount();

    PageParts m_parts;
    Listing m_listing;
    QLabel *m_countLabel = nullptr; // the page's child
    // One thread, so that the files are measured, and listed, in the order given.
    QThreadPool m_worker;

    // Shared with the worker.
    QMutex m_mutex;
    QList<MediaDuration> m_measured;
    quint64 m_generation = 0; // Clear() makes the worker's results of earlier files stale

    // UI thread only.
    std::deque<QString> m_waiting;     // absolute paths, in order
    std::deque<MediaDuration> m_ready; // for the first of m_waiting on
    std::deque<Set> m_sets;            // m_waiting's files belong to them in order
    bool m_stepScheduled = false;
    bool m_listedSinceShown = false;
};
