#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

struct SharedState;

// How long the running batch still needs. The running jobs' media seconds left go at their
// encoders' speeds added up (from their status lines); the jobs after them at the speed of the
// batch so far, which counts every stage, or at the running jobs' speed until one has ended.
// Times are tick counts in milliseconds (TickCount); time spent paused does not count.
class BatchEstimate
{
public:
    explicit BatchEstimate(const SharedState &state);

    // No figure this long after the start: the first speeds say little.
    static constexpr quint32 QuietMs = 3000;
    // A job's own speed counts only once it has run this long: ffmpeg's figure is an average
    // since its start, and its first seconds (probing, opening) drag it down.
    static constexpr quint32 SettleMs = 2000;

    // A batch of the given rows, in the order they run.
    void Start(const QList<int> &rows, quint32 now);
    void JobStarted(int row, quint32 now);
    void JobEnded(int row);
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
    // Milliseconds of the batch that were not paused.
    quint32 RunningMs(quint32 now) const;

    const SharedState &m_state;
    QList<int> m_rows;
    QHash<int, quint32> m_running; // row -> the tick it started
    int m_lastStarted = -1;        // its place in m_rows
    quint32 m_start = 0;
    quint32 m_pausedMs = 0;
    std::optional<quint32> m_pausedAt;
};
