#pragma once

#include "engine/sourcepicturerates.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QThread>
#include <QtGlobal>

#include <optional>
#include <utility>
#include <vector>

struct SharedState;

// How long the running batch still needs, from what the batch has measured. A job's pass 1 is
// work in processor time: its media seconds at its own cost so far (processor milliseconds a
// media second, read from its encoder); before it has one, at the cost the batch's jobs had
// for their picture rates (pixels a second of the source). Before it comes the encoder's
// start, in wall time. After it come the finishing passes, whose programs cannot be read: they
// are measured on a clock of the machine time each running job has had, and cost as much as
// those of the finished jobs did for their lengths (before any has finished, a tenth of pass 1
// and the start of a few programs). The batch then plays out with as many places as jobs ran
// at once, each job not started taking the place that frees first. The jobs share the
// machine's cores, none faster than one encoder alone can run (MostRate): while the same jobs
// run, at the speeds they have had together; after that, as the cores and that cap allow, so
// the last jobs speed up only as far as an encoder can. The figure rises only gradually.
// Times are tick counts in milliseconds (TickCount); time spent paused does not count.
// Threads: every member runs on the thread that runs the batch loop (the window's or the
// console's); SecondsLeft learns the jobs' progress, which their own threads write into the
// job list, each time it is asked. The sources' picture rates are read on a thread of their
// own (SourcePictureRates).
class BatchEstimate
{
public:
    // cores: how many encoders' worth of processor time the machine gives at once.
    explicit BatchEstimate(const SharedState &state, int cores = QThread::idealThreadCount());

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
    // A status line of a job's pass 1: the media seconds reached, the encoder's processor
    // milliseconds and the tick count then.
    struct Status
    {
        double encoded = 0.0;
        double cpuMs = 0.0;
        quint32 tick = 0;
    };
    // What the estimate has seen of a running job; the ...Ms are the batch's running clock.
    struct Run
    {
        double startMs = 0.0;
        Status last;
        double lastMs = 0.0; // when last was seen
        // Its first status line: what came before it (opening the files, probing) is a time
        // of its own, not one for each media second.
        std::optional<Status> first;
        double firstMs = 0.0;
        // Its first status line since the running jobs last changed: its speed among them.
        std::optional<Status> among;
        std::optional<double> passEndShare; // machine-time clock, once in its finishing passes
        // Processor milliseconds a media second since its first status line, once that says
        // something; 0 before.
        double OwnCost() const;
        // Among the jobs it runs with now: processor milliseconds a millisecond, media seconds
        // a millisecond, and over how long; 0 before a second of it.
        static constexpr double LeastMsAmong = 1000.0;
        double RateAmong() const;
        double SpeedAmong() const;
        double MsAmong() const;
    };
    // A job of the play-out: wall time before its first status line, processor time of its
    // pass 1, machine time of its finishing passes; and how fast it runs among the jobs now.
    struct Left
    {
        double lagMs = 0.0;
        double cpuMs = 0.0;
        double finishing = 0.0;
        double rateNow = 0.0;   // processor ms a ms
        double weightNow = 0.0; // how far rateNow has settled, from 0 (not known) to 1
    };

    // Milliseconds of the batch that were not paused.
    quint32 RunningMs(quint32 now) const;
    // The running jobs or their passes change: each one's speed among the others is measured anew
    // from `tick` on.
    void JobsChanged(quint32 tick);
    // Notes the running jobs' progress.
    void Observe(quint32 now);
    // Processor milliseconds of one media second of pass 1, over the batch's jobs so far.
    double BatchCost() const;
    // The same for a job of the row's source, from the jobs' costs for their picture rates.
    double CostFor(int row, double batchCost) const;
    // Wall milliseconds before a job's first status line, over the batch's jobs so far.
    double StartLag() const;
    // The most processor time one encoder takes a millisecond, however free the machine.
    double MostRate() const;
    // The processor time the machine gives this many encoders together, a millisecond.
    double MachineRate(int jobs) const;
    // The same for each of the running jobs.
    double JobRate() const;
    // Brings the machine-time clock up to m_nowMs; before the running jobs change.
    void AdvanceShare();
    // The machine-time clock at an earlier moment of the running clock, at today's part.
    double ShareAt(double ms) const;
    // The row's source's picture rate; nothing while it is not read yet or does not tell.
    std::optional<double> PictureRate(int row) const;
    // When pass 1 of the job ended, at its speed so far, on the running clock.
    static double PassEndMs(const Run &run, double length, double nowMs);
    // Wall milliseconds of the finishing passes of a job this long, from the jobs that
    // finished.
    double FinishingMs(double length) const;
    // Wall milliseconds until every job is done, placed as many at once as `places`.
    double PlayOut(std::vector<Left> placed, const QList<Left> &waiting, size_t places) const;
    std::optional<double> Estimate() const;

    const SharedState &m_state;
    const int m_cores;
    QList<int> m_rows;
    QHash<int, Run> m_running; // row -> what was seen of it
    QSet<int> m_ended;
    // Of the jobs that have ended: the media of their pass 1 and its processor time; of those
    // that finished, their media and the wall time of their finishing passes.
    double m_endedMedia = 0.0;
    double m_endedCpuMs = 0.0;
    // The wall time of the ended jobs before their first status lines, and their count.
    double m_endedLag = 0.0;
    int m_endedLagCount = 0;
    QList<std::pair<double, double>> m_finishing; // media seconds, milliseconds
    QList<std::pair<double, double>> m_costs;     // picture rate, pass-1 cost
    // The fastest one encoder has run over a few seconds (processor ms a ms); the tick from
    // which the speeds among the jobs count.
    double m_mostRate = 0.0;
    quint32 m_amongFrom = 0;
    double m_nowMs = 0.0; // the running clock when the jobs were last seen
    // The finishing passes share the machine too, but their programs cannot be read: a clock
    // of the machine time each running job has had (its part of MachineRate, a millisecond),
    // and when it was last brought up to date (running clock).
    double m_share = 0.0;
    double m_shareMs = 0.0;
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
