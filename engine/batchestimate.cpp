#include "engine/batchestimate.h"

#include "engine/sharedstate.h"
#include "engine/tickcount.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

double MediaSeconds(const ConversionJob &job)
{
    return qMax(0.0, job.endTime - job.beginTime);
}

} // namespace

BatchEstimate::BatchEstimate(const SharedState &state)
    : m_state(state)
{}

double BatchEstimate::Run::PassEndMs(double length) const
{
    if (!(encoded > 0.0))
        return startMs;
    return startMs + double(encodedMs - startMs) * length / encoded;
}

void BatchEstimate::Start(const QList<int> &rows, quint32 now)
{
    m_rows = rows;
    m_running.clear();
    m_ended.clear();
    m_endedMedia = m_endedPassMs = 0.0;
    m_finishing.clear();
    m_places = 0;
    m_lastStarted = -1;
    m_start = now;
    m_pausedMs = 0;
    m_pausedAt.reset();
    m_said.reset();
    m_freeRise = false;
}

void BatchEstimate::JobStarted(int row, quint32 now)
{
    Run run;
    run.startMs = RunningMs(now);
    run.encodedMs = run.markMs = run.startMs;
    m_running.insert(row, run);
    m_places = qMax(m_places, int(m_running.size()));
    m_lastStarted = qMax(m_lastStarted, int(m_rows.indexOf(row)));
}

void BatchEstimate::JobEnded(int row)
{
    JobEnded(row, TickCount());
}

void BatchEstimate::JobEnded(int row, quint32 now)
{
    const quint32 runningMs = RunningMs(now);
    Observe(runningMs);
    const auto it = m_running.constFind(row);
    if (it == m_running.cend())
        return;
    const Run run = *it;
    m_running.erase(it);
    m_ended.insert(row);
    m_endedMedia += run.encoded;
    m_endedPassMs += run.encodedMs - run.startMs;
    if (!m_state.jobs.isValidIndex(row))
        return;
    const ConversionJob job = m_state.jobs.copyOut(row);
    // A failure is news: the rest may well take longer than the figure said.
    if (job.failed)
        m_freeRise = true;
    if (job.finished && run.encoded > 0.0) {
        const double length = MediaSeconds(job);
        m_finishing.append({length, qMax(0.0, runningMs - run.PassEndMs(length))});
    }
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

void BatchEstimate::Observe(quint32 runningMs) const
{
    for (auto it = m_running.begin(); it != m_running.end(); ++it) {
        if (!m_state.jobs.isValidIndex(it.key()))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(it.key());
        // The finishing passes keep pass 1's last time; seen there, it says nothing of speed.
        if (job.stage > JobStage::FirstPass || !(job.encodedTime > it->encoded))
            continue;
        Run &run = *it;
        run.encoded = qBound(0.0, job.encodedTime, MediaSeconds(job));
        run.encodedMs = runningMs;
        // From its first seconds on (probing, opening) its speed says little; after them, the
        // speed over the last few seconds follows a job that runs faster once others have ended.
        if (runningMs - run.startMs < SettleMs)
            continue;
        if (run.markMs != run.startMs && runningMs - run.markMs >= SettleMs) {
            // Half the last window, half the ones before: a busy moment of the machine
            // should not swing the figure.
            const double window = (run.encoded - run.markEncoded) / double(runningMs - run.markMs);
            run.recentSpeed = run.recentSpeed > 0.0 ? (run.recentSpeed + window) / 2.0 : window;
        }
        if (run.markMs == run.startMs || runningMs - run.markMs >= SettleMs) {
            run.markEncoded = run.encoded;
            run.markMs = runningMs;
        }
    }
}

double BatchEstimate::FinishingMs(double length) const
{
    // The passes after pass 1 start programs (a fixed time) that remux and read the whole
    // result (a time for each media second): a straight line through the jobs measured, or
    // their mean while their lengths say nothing of the slope.
    const qsizetype count = m_finishing.size();
    if (count == 0)
        return 0.0;
    double meanLength = 0.0;
    double meanMs = 0.0;
    for (const auto &[jobLength, ms] : m_finishing) {
        meanLength += jobLength / count;
        meanMs += ms / count;
    }
    double spread = 0.0;
    double together = 0.0;
    for (const auto &[jobLength, ms] : m_finishing) {
        spread += (jobLength - meanLength) * (jobLength - meanLength);
        together += (jobLength - meanLength) * (ms - meanMs);
    }
    if (spread < 1.0 || !(meanLength > 0.0))
        return meanMs;
    const double slope = qMax(0.0, together / spread);
    const double fixed = meanMs - slope * meanLength;
    // A line that starts below zero: all of it goes with the length.
    if (fixed < 0.0)
        return length * meanMs / meanLength;
    return fixed + slope * length;
}

std::optional<double> BatchEstimate::Estimate(quint32 runningMs) const
{
    // The pass-1 speed of one job among the others.
    double media = m_endedMedia;
    double passMs = m_endedPassMs;
    for (const Run &run : std::as_const(m_running)) {
        media += run.encoded;
        passMs += run.encodedMs - run.startMs;
    }
    if (!(media > 0.0) || !(passMs > 0.0))
        return std::nullopt;
    const double speed = media / passMs; // media seconds a millisecond

    // Each place runs one job at a time: the running jobs hold theirs, and each job after them
    // goes to the place that frees first.
    std::vector<double> places; // milliseconds until each is free
    QList<double> after;
    for (const int row : m_rows) {
        if (m_ended.contains(row) || !m_state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(row);
        const double length = MediaSeconds(job);
        const double finishingMs = FinishingMs(length);
        const auto run = m_running.constFind(row);
        if (run == m_running.cend()) {
            after.append(length / speed + finishingMs);
        } else if (job.stage > JobStage::FirstPass) {
            places.push_back(qMax(0.0, finishingMs - (runningMs - run->PassEndMs(length))));
        } else {
            const double own = run->recentSpeed > 0.0 ? run->recentSpeed : speed;
            places.push_back((length - qBound(0.0, job.encodedTime, length)) / own + finishingMs);
        }
    }
    places.resize(qMax(places.size(), size_t(m_places)), 0.0);
    if (places.empty())
        return std::nullopt;
    for (const double jobMs : std::as_const(after))
        *std::min_element(places.begin(), places.end()) += jobMs;
    return *std::max_element(places.cbegin(), places.cend()) / 1000.0;
}

std::optional<double> BatchEstimate::SecondsLeft(quint32 now) const
{
    if (m_pausedAt || m_running.isEmpty())
        return std::nullopt;
    const quint32 runningMs = RunningMs(now);
    Observe(runningMs);
    if (runningMs < QuietMs && ShareDone() < QuietShare)
        return std::nullopt;
    std::optional<double> left = Estimate(runningMs);
    if (!left)
        return std::nullopt;
    // A figure that jumps up says less than one that climbs; a failure is news, though.
    if (m_said && !m_freeRise)
        left = qMin(*left,
                    *m_said * std::pow(MostRisePerSecond, double(runningMs - m_saidMs) / 1000.0));
    m_said = left;
    m_saidMs = runningMs;
    m_freeRise = false;
    return left;
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
