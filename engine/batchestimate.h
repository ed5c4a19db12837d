#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

struct SharedState;

// How long the running batch still needs. The running job's media seconds left go at the
// encoder's own speed (from its status lines); the jobs after it at the speed of the batch so
// far, which counts every stage, or at the running job's speed while it is the first. Times are
// tick counts in milliseconds (TickCount); time spent paused does not count.
class BatchEstimate
{
public:
    explicit BatchEstimate(const SharedState &state);

    // No figure this long after the start: the first speeds say little.
    static constexpr quint32 QuietMs = 3000;
    // A job's own speed counts only once it has run this long: ffmpeg's figure is an average
    // since its start, and its first seconds (probing, opening) drag it down.
    static constexpr quint32 SettleMs = 2000;

    void Start(int jobCount, quint32 now);
    void Pause(quint32 now);
    void Resume(quint32 now);
    int jobCount() const { return m_jobCount; }
    bool paused() const { return m_pausedAt.has_value(); }

    // Seconds left for the whole batch; nothing in the quiet time, while paused, or before any
    // speed is known.
    std::optional<double> SecondsLeft(quint32 now) const;
    // The share of the batch's media seconds that is done, from 0 to 1.
    double ShareDone() const;
    // "less than a minute", "about 4 min", "about 1 h 5 min".
    static QString Text(double seconds);
    // "3 of 10, about 4 min left", or "3 of 10" when there is no figure.
    QString Summary(quint32 now) const;

private:
    // Milliseconds of the batch that were not paused.
    quint32 RunningMs(quint32 now) const;

    const SharedState &m_state;
    int m_jobCount = 0;
    quint32 m_start = 0;
    quint32 m_pausedMs = 0;
    std::optional<quint32> m_pausedAt;
};
