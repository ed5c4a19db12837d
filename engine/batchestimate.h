#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

struct SharedState;

// How long the running batch still needs, from what the batch has measured. The batch has as
// many places as jobs ran side by side; each job holds one for its pass 1, its media seconds at
// the pass-1 speed of the batch's jobs so far (a running job's own recent speed once it has
// one), and then for its finishing passes, as long as those of the finished jobs took for
// their lengths. The jobs not started go to the place that frees first. The figure rises only
// gradually.
// Times are tick counts in milliseconds (TickCount); time spent paused does not count.
// Window thread only (the thread that runs the batch loop); SecondsLeft learns the jobs'
// progress each time it is asked.
class BatchEstimate
{
public:
    explicit BatchEstimate(const SharedState &state);

    // No figure until this share of the batch's media is done, or until the batch has run
    // QuietMs: before that the speeds are mostly the encoders' start.
    static constexpr double QuietShare = 0.05;
    static constexpr quint32 QuietMs = 10000;
    // A job's own speed counts only after it has run this long, taken over at least this long.
    static constexpr quint32 SettleMs = 2000;
    // The most the figure may grow in one second of the batch, as a factor, except when a job
    // has failed: a higher new figure is taken in over a few seconds.
    static constexpr double MostRisePerSecond = 1.45;

    // A batch of the given rows, in the order they run.
    void Start(const QList<int> &rows, quint32 now);
    void JobStarted(int row, quint32 now);
    // The job has ended (finished, failed or stopped); the first form takes TickCount().
    void JobEnded(int row);
    void JobEnded(int row, quint32 now);
    void Pause(quint32 now);
    void Resume(quint32 now);
    int jobCount() const { return int(m_rows.size()); }
    bool paused() const { return m_pausedAt.has_value(); }

    // Seconds left for the whole batch; nothing in the quiet time, while paused, or before any
    // speed is known.
    std::optional<double> SecondsLeft(quint32 now) const;
    // The share of the batch's media seconds that is done, from 0 to 1.
    double ShareDone() const;
    // "less than a minute", "about 4 min", "about 1 h 5 min".
    static QString Text(double seconds);
    // "3 of 10, about 4 min left", or "3 of 10" when there is no figure; 3 is the place of the
    // job that started last.
    QString Summary(quint32 now) const;

private:
    // What the estimate has seen of a running job; times on the batch's running clock.
    struct Run
    {
        quint32 startMs = 0;
        double encoded = 0.0;  // media seconds pass 1 had reached when last seen
        quint32 encodedMs = 0; // when it was seen
        double markEncoded = 0.0;
        quint32 markMs = 0;       // an earlier sight after SettleMs, for the recent speed
        double recentSpeed = 0.0; // media seconds a millisecond, over its last few seconds
        // When pass 1 ended or will end at its speed so far; startMs while nothing is seen.
        double PassEndMs(double length) const;
    };

    // Milliseconds of the batch that were not paused.
    quint32 RunningMs(quint32 now) const;
    // Notes the running jobs' progress.
    void Observe(quint32 runningMs) const;
    // Milliseconds of the finishing passes of a job this long, from the jobs that finished.
    double FinishingMs(double length) const;
    std::optional<double> Estimate(quint32 runningMs) const;

    const SharedState &m_state;
    QList<int> m_rows;
    mutable QHash<int, Run> m_running; // row -> what was seen of it
    QSet<int> m_ended;
    // Of the jobs that have ended: the media of their pass 1 and its time (milliseconds); of
    // those that finished, their media and the time of their finishing passes.
    double m_endedMedia = 0.0;
    double m_endedPassMs = 0.0;
    QList<std::pair<double, double>> m_finishing; // media seconds, milliseconds
    int m_places = 0;                             // the most jobs that ran at once
    int m_lastStarted = -1;                       // its place in m_rows
    quint32 m_start = 0;
    quint32 m_pausedMs = 0;
    std::optional<quint32> m_pausedAt;
    // The figure last given and when (running clock); a failure lets the next one rise freely.
    mutable std::optional<double> m_said;
    mutable quint32 m_saidMs = 0;
    mutable bool m_freeRise = false;
};
