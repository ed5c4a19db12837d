#pragma once

#include "engine/sourcepicturerates.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QtGlobal>

#include <optional>
#include <utility>

struct SharedState;

// How long the running batch still needs, from what the batch has measured. The jobs that run
// side by side share the machine: each running job gets an equal part of it, so the estimate
// keeps a clock of the machine time each running job has had, and measures the jobs' work in
// it. A job's pass 1 costs its media seconds at its own cost so far (machine time a media
// second); before it has one, at the cost the batch's jobs had for their picture rates (pixels
// a second of the source), plus the batch's start-up time. Its finishing passes cost as much
// as those of the finished jobs did for their lengths; before any has finished, a tenth of
// pass 1 and the start of a few programs. The batch then plays out with as many
// places as jobs ran at once: the jobs holding places share the machine, and each job not
// started takes the place that frees first, so the last jobs speed up as the others end. The
// figure rises only gradually.
// Times are tick counts in milliseconds (TickCount); time spent paused does not count.
// Threads: every member runs on the thread that runs the batch loop (the window's or the
// console's); SecondsLeft learns the jobs' progress each time it is asked. The sources'
// picture rates are read on a thread of their own (SourcePictureRates).
class BatchEstimate
{
public:
    explicit BatchEstimate(const SharedState &state);

    // No figure until this share of the batch's media is done, or until the batch has run
    // QuietMs: before that the speeds are mostly the encoders' start.
    static constexpr double QuietShare = 0.05;
    static constexpr quint32 QuietMs = 10000;
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
    std::optional<double> SecondsLeft(quint32 now);
    // The share of the batch's media seconds that is done, from 0 to 1.
    double ShareDone() const;
    // "less than a minute", "about 4 min", "about 1 h 5 min".
    static QString Text(double seconds);
    // "3 of 10, about 4 min left", or "3 of 10" when there is no figure; 3 is the place of the
    // job that started last.
    QString Summary(quint32 now);

private:
    // What the estimate has seen of a running job; shares are the machine-time clock's.
    struct Run
    {
        double startShare = 0.0;
        double encoded = 0.0;      // media seconds pass 1 had reached when last seen
        double encodedShare = 0.0; // when it was seen
        // Its first status line: what came before it (opening the files, probing) is a time
        // of its own, not one for each media second.
        std::optional<std::pair<double, double>> first; // media seconds, share
        std::optional<double> passEndShare;             // once it is in its finishing passes
        // Machine milliseconds a media second since its first status line, once that says
        // something; 0 before.
        double OwnCost() const;
    };

    // Milliseconds of the batch that were not paused.
    quint32 RunningMs(quint32 now) const;
    // Brings the machine-time clock up to runningMs; before the running jobs change.
    void AdvanceShare(quint32 runningMs);
    // Notes the running jobs' progress.
    void Observe(quint32 runningMs);
    // Machine milliseconds of one media second of pass 1, over the batch's jobs so far.
    double BatchCost() const;
    // The same for a job of the row's source, from the jobs' costs for their picture rates.
    double CostFor(int row, double batchCost) const;
    // Machine milliseconds before a job's first status line, over the batch's jobs so far.
    double StartLag() const;
    // The row's source's picture rate; nothing while it is not read yet or does not tell.
    std::optional<double> PictureRate(int row) const;
    // When pass 1 of the job ended or will end at its cost so far, on the machine-time clock.
    double PassEndShare(const Run &run, double length) const;
    // Machine milliseconds of the finishing passes of a job this long, from the jobs that
    // finished.
    double FinishingMs(double length) const;
    std::optional<double> Estimate() const;

    const SharedState &m_state;
    QList<int> m_rows;
    QHash<int, Run> m_running; // row -> what was seen of it
    QSet<int> m_ended;
    // Of the jobs that have ended: the media of their pass 1 and its machine time
    // (milliseconds); of those that finished, their media and the machine time of their
    // finishing passes.
    double m_endedMedia = 0.0;
    double m_endedPassShare = 0.0;
    // The machine time of the ended jobs before their first status lines, and their count.
    double m_endedLag = 0.0;
    int m_endedLagCount = 0;
    QList<std::pair<double, double>> m_finishing; // media seconds, milliseconds
    QList<std::pair<double, double>> m_costs;     // picture rate, pass-1 cost
    // The machine time each running job has had since the start, and when it was last brought
    // up to date (running clock).
    double m_share = 0.0;
    quint32 m_shareMs = 0;
    SourcePictureRates m_pictureRates;
    int m_places = 0;       // the most jobs that ran at once
    int m_lastStarted = -1; // its place in m_rows
    quint32 m_start = 0;
    quint32 m_pausedMs = 0;
    std::optional<quint32> m_pausedAt;
    // The figure last given and when (running clock); a failure lets the next one rise freely.
    std::optional<double> m_said;
    quint32 m_saidMs = 0;
    bool m_freeRise = false;
};
