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

// The finishing passes' cost for a media second, as a share of pass 1's, until jobs of
// different lengths have shown it: they remux and read the result once or twice, which takes a
// tenth of what encoding did (from 0.01 to 0.12 on the three types' default profiles).
constexpr double UnmeasuredFinishing = 0.1;
// And they start about this many programs, each taking about what pass 1 took to its first
// status line: on a short job, most of their time.
constexpr double UnmeasuredFinishingStarts = 3.0;

// The value at x of a straight line through the points (a fixed part and one for each unit of
// x). While their x say nothing of the slope: their mean, or, given a slope, the line of that
// slope through the mean, no steeper than the one through zero, so the fixed part is never
// below zero.
double OnLine(const QList<std::pair<double, double>> &points,
              double x,
              std::optional<double> slopeGuess = std::nullopt)
{
    const qsizetype count = points.size();
    if (count == 0)
        return 0.0;
    double meanX = 0.0;
    double meanY = 0.0;
    for (const auto &[pointX, pointY] : points) {
        meanX += pointX / count;
        meanY += pointY / count;
    }
    double spread = 0.0;
    double together = 0.0;
    for (const auto &[pointX, pointY] : points) {
        spread += (pointX - meanX) * (pointX - meanX);
        together += (pointX - meanX) * (pointY - meanY);
    }
    if (!(meanX > 0.0))
        return meanY;
    if (spread < 1.0)
        return slopeGuess ? meanY + qMin(*slopeGuess, meanY / meanX) * (x - meanX) : meanY;
    const double slope = qMax(0.0, together / spread);
    const double fixed = meanY - slope * meanX;
    // A line that starts below zero: all of it goes with x.
    if (fixed < 0.0)
        return x * meanY / meanX;
    return fixed + slope * x;
}

} // namespace

BatchEstimate::BatchEstimate(const SharedState &state)
    : m_state(state)
{}

double BatchEstimate::Run::OwnCost() const
{
    // Less than this long, or a media second, since the first line: the encoder's first frames.
    // Over the whole run rather than its last seconds: how fast a job goes depends on which
    // jobs share the machine with it, and a whole run evens that out.
    constexpr double LeastShare = 500.0;
    if (first && encodedShare - first->second >= LeastShare && encoded - first->first >= 1.0)
        return (encodedShare - first->second) / (encoded - first->first);
    return 0.0;
}

void BatchEstimate::Start(const QList<int> &rows, quint32 now)
{
    m_rows = rows;
    QList<std::pair<int, QString>> sources;
    for (const int row : rows) {
        if (m_state.jobs.isValidIndex(row))
            sources.append({row, m_state.jobs.copyOut(row).sourcePath});
    }
    m_pictureRates.Start(std::move(sources));
    m_running.clear();
    m_ended.clear();
    m_endedMedia = m_endedPassShare = m_endedLag = 0.0;
    m_endedLagCount = 0;
    m_share = 0.0;
    m_shareMs = 0;
    m_finishing.clear();
    m_costs.clear();
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
    AdvanceShare(RunningMs(now));
    run.startShare = run.encodedShare = m_share;
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
    Observe(RunningMs(now));
    const auto it = m_running.constFind(row);
    if (it == m_running.cend())
        return;
    const Run run = *it;
    m_running.erase(it);
    m_ended.insert(row);
    if (run.first) {
        m_endedMedia += run.encoded - run.first->first;
        m_endedPassShare += run.encodedShare - run.first->second;
        m_endedLag += run.first->second - run.startShare;
        ++m_endedLagCount;
    }
    const std::optional<double> pictureRate = PictureRate(row);
    if (pictureRate && run.OwnCost() > 0.0)
        m_costs.append({*pictureRate, run.OwnCost()});
    if (!m_state.jobs.isValidIndex(row))
        return;
    const ConversionJob job = m_state.jobs.copyOut(row);
    // A failure is news: the rest may well take longer than the figure said.
    if (job.failed)
        m_freeRise = true;
    if (job.finished && run.encoded > 0.0) {
        const double length = MediaSeconds(job);
        const double passEnd = run.passEndShare.value_or(PassEndShare(run, length));
        m_finishing.append({length, qMax(0.0, m_share - passEnd)});
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

void BatchEstimate::AdvanceShare(quint32 runningMs)
{
    // Each running job has an equal part of the machine: encoders use every core they can, so
    // one left alone runs about as much faster as the others took from it.
    if (!m_running.isEmpty() && runningMs > m_shareMs)
        m_share += double(runningMs - m_shareMs) / double(m_running.size());
    m_shareMs = runningMs;
}

void BatchEstimate::Observe(quint32 runningMs)
{
    AdvanceShare(runningMs);
    for (auto it = m_running.begin(); it != m_running.end(); ++it) {
        if (!m_state.jobs.isValidIndex(it.key()))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(it.key());
        Run &run = *it;
        // The finishing passes keep pass 1's last time; seen there, it says nothing of cost.
        if (job.stage > JobStage::FirstPass) {
            if (!run.passEndShare)
                run.passEndShare = PassEndShare(run, MediaSeconds(job));
            continue;
        }
        if (!(job.encodedTime > run.encoded))
            continue;
        run.encoded = qBound(0.0, job.encodedTime, MediaSeconds(job));
        run.encodedShare = m_share;
        if (!run.first)
            run.first = {run.encoded, m_share};
    }
}

double BatchEstimate::BatchCost() const
{
    double media = m_endedMedia;
    double share = m_endedPassShare;
    for (const Run &run : std::as_const(m_running)) {
        if (run.first) {
            media += run.encoded - run.first->first;
            share += run.encodedShare - run.first->second;
        }
    }
    if (media >= 1.0 && share > 0.0)
        return share / media;
    // Only first lines so far: their own times, the start included, say something at least.
    for (const Run &run : std::as_const(m_running)) {
        media += run.encoded;
        share += run.encodedShare - run.startShare;
    }
    return media > 0.0 && share > 0.0 ? share / media : 0.0;
}

double BatchEstimate::StartLag() const
{
    double lag = m_endedLag;
    int count = m_endedLagCount;
    for (const Run &run : std::as_const(m_running)) {
        if (run.first) {
            lag += run.first->second - run.startShare;
            ++count;
        }
    }
    return count > 0 ? lag / count : 0.0;
}

double BatchEstimate::PassEndShare(const Run &run, double length) const
{
    const double cost = run.OwnCost() > 0.0 ? run.OwnCost() : BatchCost();
    return qMin(m_share, run.encodedShare + qMax(0.0, length - run.encoded) * cost);
}

double BatchEstimate::FinishingMs(double length) const
{
    // The passes after pass 1 start programs (a fixed time) that remux and read the whole
    // result (a time for each media second). Jobs of one length say nothing of how the two
    // parts share it: the part for each second is taken as a guess, and the rest as fixed,
    // since on a short job the programs' start can be most of it.
    const double slopeGuess = BatchCost() * UnmeasuredFinishing;
    if (!m_finishing.isEmpty())
        return OnLine(m_finishing, length, slopeGuess);
    // Before any job has finished, the time the jobs in them have taken so far is the least
    // they take.
    QList<std::pair<double, double>> sofar;
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it) {
        if (it->passEndShare && m_state.jobs.isValidIndex(it.key()))
            sofar.append(
                {MediaSeconds(m_state.jobs.copyOut(it.key())), m_share - *it->passEndShare});
    }
    // Until then they take at least a part of pass 1's cost: they reread what it wrote.
    return qMax(OnLine(sofar, length, slopeGuess),
                UnmeasuredFinishingStarts * StartLag() + length * slopeGuess);
}

std::optional<double> BatchEstimate::PictureRate(int row) const
{
    return m_pictureRates.Value(row).value_or(std::nullopt);
}

double BatchEstimate::CostFor(int row, double batchCost) const
{
    // Decoding and scaling take most of pass 1, and they go with the source's pixels.
    const std::optional<double> rate = PictureRate(row);
    if (!rate)
        return batchCost;
    QList<std::pair<double, double>> costs = m_costs;
    for (auto it = m_running.cbegin(); it != m_running.cend(); ++it) {
        const std::optional<double> own = PictureRate(it.key());
        if (it->OwnCost() > 0.0 && own)
            costs.append({*own, it->OwnCost()});
    }
    // A part of the cost is the profile's own (encoding, sound): one picture rate says nothing
    // of how the cost goes with it.
    const double cost = OnLine(costs, *rate);
    return cost > 0.0 ? cost : batchCost;
}

std::optional<double> BatchEstimate::Estimate() const
{
    const double batchCost = BatchCost();
    if (!(batchCost > 0.0))
        return std::nullopt;
    const double startLag = StartLag();
    // The machine time each job still needs: the running jobs hold places, the others wait.
    std::vector<double> placed;
    QList<double> waiting;
    for (const int row : m_rows) {
        if (m_ended.contains(row) || !m_state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(row);
        const double length = MediaSeconds(job);
        const double finishing = FinishingMs(length);
        const auto run = m_running.constFind(row);
        if (run == m_running.cend()) {
            waiting.append(startLag + length * CostFor(row, batchCost) + finishing);
        } else if (run->passEndShare) {
            // One that takes longer than the others did is not done at once: it needs
            // about half again what it has had (its files or the disk may be slow).
            const double had = m_share - *run->passEndShare;
            placed.push_back(qMax(finishing - had, had / 2.0));
        } else {
            const double cost = run->OwnCost() > 0.0 ? run->OwnCost() : CostFor(row, batchCost);
            placed.push_back((length - qBound(0.0, job.encodedTime, length)) * cost + finishing);
        }
    }
    if (placed.empty())
        return std::nullopt;
    // The jobs holding places share the machine until the least of them is done; the next
    // waiting job takes its place.
    const size_t places = qMax(placed.size(), size_t(m_places));
    qsizetype next = 0;
    double ms = 0.0;
    for (;;) {
        while (placed.size() < places && next < waiting.size())
            placed.push_back(waiting.at(next++));
        if (placed.empty())
            break;
        const double least = *std::min_element(placed.cbegin(), placed.cend());
        ms += least * double(placed.size());
        for (double &left : placed)
            left -= least;
        std::erase_if(placed, [](double left) { return left <= 0.0; });
    }
    return ms / 1000.0;
}

std::optional<double> BatchEstimate::SecondsLeft(quint32 now)
{
    if (m_pausedAt || m_running.isEmpty())
        return std::nullopt;
    const quint32 runningMs = RunningMs(now);
    Observe(runningMs);
    if (runningMs < QuietMs && ShareDone() < QuietShare)
        return std::nullopt;
    std::optional<double> left = Estimate();
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

QString BatchEstimate::Summary(quint32 now)
{
    QString text = QStringLiteral("%1 of %2").arg(qMax(1, m_lastStarted + 1)).arg(m_rows.size());
    if (const std::optional<double> left = SecondsLeft(now))
        text += QStringLiteral(", %1 left").arg(Text(*left));
    return text;
}
