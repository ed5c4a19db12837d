#include "engine/batchestimate.h"

#include "engine/sharedstate.h"

#include <cmath>

namespace {

double MediaSeconds(const ConversionJob &job)
{
    return qMax(0.0, job.endTime - job.beginTime);
}

} // namespace

BatchEstimate::BatchEstimate(const SharedState &state)
    : m_state(state)
{}

void BatchEstimate::Start(const QList<int> &rows, quint32 now)
{
    m_rows = rows;
    m_running.clear();
    m_lastStarted = -1;
    m_start = now;
    m_pausedMs = 0;
    m_pausedAt.reset();
}

void BatchEstimate::JobStarted(int row, quint32 now)
{
    m_running.insert(row, now);
    m_lastStarted = qMax(m_lastStarted, int(m_rows.indexOf(row)));
}

void BatchEstimate::JobEnded(int row)
{
    m_running.remove(row);
}

void BatchEstimate::Pause(quint32 now)
{
    if (!m_pausedAt)
        m_pausedAt = now;
}

void BatchEstimate::Resume(quint32 now)
{
    if (!m_pausedAt)
        return;
    m_pausedMs += now - *m_pausedAt;
    m_pausedAt.reset();
}

quint32 BatchEstimate::RunningMs(quint32 now) const
{
    // Unsigned differences: right across a wrap of the tick counter.
    return (m_pausedAt ? *m_pausedAt : now) - m_start - m_pausedMs;
}

std::optional<double> BatchEstimate::SecondsLeft(quint32 now) const
{
    if (m_pausedAt || m_running.isEmpty())
        return std::nullopt;
    const quint32 running = RunningMs(now);
    if (running < QuietMs)
        return std::nullopt;
    double done = 0.0;        // media seconds behind us
    double runningLeft = 0.0; // of the running jobs
    double after = 0.0;       // of the jobs not started
    double jobSpeed = 0.0;    // of the running jobs together
    double longest = 0.0;     // the running job that needs longest at its own speed
    bool anyEnded = false;
    for (const int row : m_rows) {
        if (!m_state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(row);
        const double length = MediaSeconds(job);
        if (m_running.contains(row)) {
            const double encoded = qBound(0.0, job.encodedTime, length);
            done += encoded;
            runningLeft += length - encoded;
            jobSpeed += job.encoderSpeed;
            if (job.encoderSpeed > 0.0)
                longest = qMax(longest, (length - encoded) / job.encoderSpeed);
        } else if (job.finished || job.failed) {
            done += length;
            anyEnded = true;
        } else {
            after += length;
        }
    }
    // Once a job has ended, a running job's own speed counts only after it has settled.
    if (anyEnded) {
        jobSpeed = 0.0;
        for (auto it = m_running.cbegin(); it != m_running.cend(); ++it) {
            if (now - it.value() >= SettleMs && m_state.jobs.isValidIndex(it.key()))
                jobSpeed += m_state.jobs.copyOut(it.key()).encoderSpeed;
        }
    }
    const double batchSpeed = anyEnded ? done * 1000.0 / double(running) : jobSpeed;
    if (!(jobSpeed > 0.0) && !(batchSpeed > 0.0))
        return std::nullopt;
    // Jobs side by side share the processors, but one long job left alone cannot go faster
    // than its own speed.
    return qMax(longest,
                runningLeft / (jobSpeed > 0.0 ? jobSpeed : batchSpeed)
                    + after / (batchSpeed > 0.0 ? batchSpeed : jobSpeed));
}

double BatchEstimate::ShareDone() const
{
    double done = 0.0;
    double total = 0.0;
    for (const int row : m_rows) {
        if (!m_state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(row);
        const double length = MediaSeconds(job);
        total += length;
        if (job.finished || job.failed)
            done += length;
        else if (m_running.contains(row))
            done += qBound(0.0, job.encodedTime, length);
    }
    return total > 0.0 ? done / total : 0.0;
}

QString BatchEstimate::Text(double seconds)
{
    const long minutes = std::lround(seconds / 60.0);
    if (seconds < 60.0 || minutes < 1)
        return QStringLiteral("less than a minute");
    if (minutes < 60)
        return QStringLiteral("about %1 min").arg(minutes);
    return QStringLiteral("about %1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString BatchEstimate::Summary(quint32 now) const
{
    QString text = QStringLiteral("%1 of %2").arg(qMax(1, m_lastStarted + 1)).arg(m_rows.size());
    if (const std::optional<double> left = SecondsLeft(now))
        text += QStringLiteral(", %1 left").arg(Text(*left));
    return text;
}
