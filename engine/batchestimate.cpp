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

void BatchEstimate::Start(int jobCount, quint32 now)
{
    m_jobCount = jobCount;
    m_start = now;
    m_pausedMs = 0;
    m_pausedAt.reset();
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
    const int current = m_state.currentJobIndex;
    const int count = qMin(m_jobCount, m_state.jobs.count());
    if (m_pausedAt || current < 0 || current >= count)
        return std::nullopt;
    const quint32 running = RunningMs(now);
    if (running < QuietMs)
        return std::nullopt;
    const ConversionJob job = m_state.jobs.copyOut(current);
    const double length = MediaSeconds(job);
    const double encoded = qBound(0.0, job.encodedTime, length);
    double done = encoded;
    for (int i = 0; i < current; ++i)
        done += MediaSeconds(m_state.jobs.copyOut(i));
    double after = 0.0;
    for (int i = current + 1; i < count; ++i)
        after += MediaSeconds(m_state.jobs.copyOut(i));
    const bool settled = now - m_state.jobStartTick >= SettleMs;
    const double jobSpeed = settled || current == 0 ? job.encoderSpeed : 0.0;
    const double batchSpeed = current > 0 ? done * 1000.0 / double(running) : jobSpeed;
    if (!(jobSpeed > 0.0) && !(batchSpeed > 0.0))
        return std::nullopt;
    const double left = (length - encoded) / (jobSpeed > 0.0 ? jobSpeed : batchSpeed)
                        + after / (batchSpeed > 0.0 ? batchSpeed : jobSpeed);
    return left;
}

double BatchEstimate::ShareDone() const
{
    const int count = qMin(m_jobCount, m_state.jobs.count());
    double done = 0.0;
    double total = 0.0;
    for (int i = 0; i < count; ++i) {
        const ConversionJob job = m_state.jobs.copyOut(i);
        const double length = MediaSeconds(job);
        total += length;
        if (i < m_state.currentJobIndex)
            done += length;
        else if (i == m_state.currentJobIndex)
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
    QString text = QStringLiteral("%1 of %2").arg(m_state.currentJobIndex + 1).arg(m_jobCount);
    if (const std::optional<double> left = SecondsLeft(now))
        text += QStringLiteral(", %1 left").arg(Text(*left));
    return text;
}
