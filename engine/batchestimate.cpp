#include "engine/batchestimate.h"

#include "engine/sharedstate.h"
#include "engine/tickcount.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

double MediaSeconds(const ConversionJob &job)
{
    return qMax(0.0, job.endTime - job.beginTime);
}

// The finishing passes' time for a media second, as a share of pass 1's, until jobs of
// different lengths have shown it: they remux and read the result once or twice, which takes a
// tenth of what encoding did (from 0.01 to 0.12 on the three types' default profiles).
constexpr double UnmeasuredFinishing = 0.1;
// And they start about this many programs, each taking about what pass 1 took to its first
// status line: on a short job, most of their time.
constexpr double UnmeasuredFinishingStarts = 3.0;
// Until one has run alone, what an encoder takes of a free machine: the phones' codecs encode
// on one core, and the source's decoder adds threads of its own (1.3 to 1.4 cores seen with
// the three types' default profiles on a 960x540 source).
constexpr double UnmeasuredMostRate = 1.3;

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

BatchEstimate::BatchEstimate(const SharedState &state, int cores)
    : m_state(state)
    , m_cores(qMax(1, cores))
{}

double BatchEstimate::Run::OwnCost() const
{
    // Less than this long, or a media second, since the first line: the encoder's first frames.
    // Over the whole run rather than its last seconds: processor time a media second hardly
    // depends on the jobs beside it, and a whole run evens out the rest.
    constexpr double LeastMs = 500.0;
    if (first && lastMs - firstMs >= LeastMs && last.encoded - first->encoded >= 1.0)
        return (last.cpuMs - first->cpuMs) / (last.encoded - first->encoded);
    return 0.0;
}

double BatchEstimate::Run::MsAmong() const
{
    return among ? double(last.tick - among->tick) : 0.0;
}

double BatchEstimate::Run::RateAmong() const
{
    return MsAmong() >= LeastMsAmong ? (last.cpuMs - among->cpuMs) / MsAmong() : 0.0;
}

double BatchEstimate::Run::SpeedAmong() const
{
    return MsAmong() >= LeastMsAmong ? (last.encoded - among->encoded) / MsAmong() : 0.0;
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
    m_endedMedia = m_endedCpuMs = m_endedLag = 0.0;
    m_endedLagCount = 0;
    m_finishing.clear();
    m_costs.clear();
    m_mostRate = 0.0;
    m_share = 0.0;
    m_shareMs = 0.0;
    m_amongFrom = now;
    m_nowMs = 0.0;
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
    Observe(now);
    Run run;
    run.startMs = run.lastMs = RunningMs(now);
    m_running.insert(row, run);
    m_places = qMax(m_places, int(m_running.size()));
    m_lastStarted = qMax(m_lastStarted, int(m_rows.indexOf(row)));
    JobsChanged(now);
}

void BatchEstimate::JobEnded(int row)
{
    JobEnded(row, TickCount());
}

void BatchEstimate::JobEnded(int row, quint32 now)
{
    Observe(now);
    const auto it = m_running.constFind(row);
    if (it == m_running.cend())
        return;
    const Run run = *it;
    m_running.erase(it);
    m_ended.insert(row);
    JobsChanged(now);
    if (run.first) {
        m_endedMedia += run.last.encoded - run.first->encoded;
        m_endedCpuMs += run.last.cpuMs - run.first->cpuMs;
        m_endedLag += run.firstMs - run.startMs;
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
    if (job.finished && run.last.encoded > 0.0) {
        const double length = MediaSeconds(job);
        const double passEnd = run.passEndShare.value_or(ShareAt(PassEndMs(run, length, m_nowMs)));
        m_finishing.append({length, qMax(0.0, m_share - passEnd)});
    }
}

void BatchEstimate::Pause(quint32 now)
{
    if (!m_pausedAt)
        m_pausedAt = now;
    JobsChanged(now);
}

void BatchEstimate::Resume(quint32 now)
{
    if (!m_pausedAt)
        return;
    m_pausedMs += now - *m_pausedAt;
    m_pausedAt.reset();
    // The encoders were stopped: their speeds count from here.
    JobsChanged(now);
}

quint32 BatchEstimate::RunningMs(quint32 now) const
{
    // Unsigned differences: right across a wrap of the tick counter.
    return (m_pausedAt ? *m_pausedAt : now) - m_start - m_pausedMs;
}

void BatchEstimate::JobsChanged(quint32 tick)
{
    m_amongFrom = tick;
    for (Run &run : m_running)
        run.among.reset();
}

void BatchEstimate::Observe(quint32 now)
{
    // Over a few seconds among the same jobs, an encoder's speed says how fast it can go.
    constexpr double SettledMs = 3000.0;
    m_nowMs = RunningMs(now);
    AdvanceShare();
    bool changed = false;
    for (auto it = m_running.begin(); it != m_running.end(); ++it) {
        if (!m_state.jobs.isValidIndex(it.key()))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(it.key());
        Run &run = *it;
        // The finishing passes keep pass 1's last time; seen there, it says nothing of cost.
        if (job.stage > JobStage::FirstPass) {
            if (!run.passEndShare) {
                run.passEndShare = ShareAt(PassEndMs(run, MediaSeconds(job), m_nowMs));
                changed = true;
            }
            continue;
        }
        if (!(job.encodedTime > run.last.encoded))
            continue;
        run.last
            = {qBound(0.0, job.encodedTime, MediaSeconds(job)), job.encoderCpuMs, job.statusTick};
        run.lastMs = m_nowMs;
        if (!run.first) {
            run.first = run.last;
            run.firstMs = m_nowMs;
        }
        // Signed: a line from before the jobs changed does not count among the new ones.
        if (!run.among && qint32(run.last.tick - m_amongFrom) >= 0)
            run.among = run.last;
        if (run.MsAmong() >= SettledMs)
            m_mostRate = qMax(m_mostRate, run.RateAmong());
    }
    if (changed)
        JobsChanged(now);
}

double BatchEstimate::BatchCost() const
{
    double media = m_endedMedia;
    double cpuMs = m_endedCpuMs;
    for (const Run &run : std::as_const(m_running)) {
        if (run.first) {
            media += run.last.encoded - run.first->encoded;
            cpuMs += run.last.cpuMs - run.first->cpuMs;
        }
    }
    if (media >= 1.0 && cpuMs > 0.0)
        return cpuMs / media;
    // Only first lines so far: their own times, the start included, say something at least.
    for (const Run &run : std::as_const(m_running)) {
        media += run.last.encoded;
        cpuMs += run.last.cpuMs;
    }
    return media > 0.0 && cpuMs > 0.0 ? cpuMs / media : 0.0;
}

double BatchEstimate::StartLag() const
{
    double lag = m_endedLag;
    int count = m_endedLagCount;
    for (const Run &run : std::as_const(m_running)) {
        if (run.first) {
            lag += run.firstMs - run.startMs;
            ++count;
        }
    }
    return count > 0 ? lag / count : 0.0;
}

double BatchEstimate::MostRate() const
{
    return qMax(UnmeasuredMostRate, m_mostRate);
}

void BatchEstimate::AdvanceShare()
{
    if (!m_running.isEmpty() && m_nowMs > m_shareMs)
        m_share += (m_nowMs - m_shareMs) * JobRate();
    m_shareMs = m_nowMs;
}

double BatchEstimate::ShareAt(double ms) const
{
    return m_share - qMax(0.0, m_nowMs - ms) * JobRate();
}

double BatchEstimate::JobRate() const
{
    const int jobs = qMax(1, int(m_running.size()));
    return MachineRate(jobs) / jobs;
}

double BatchEstimate::MachineRate(int jobs) const
{
    // As many cores as the machine has, or more where an encoder was seen to take them.
    return qMin(MostRate() * qMax(1, jobs), qMax(double(m_cores), m_mostRate));
}

double BatchEstimate::PassEndMs(const Run &run, double length, double nowMs)
{
    // From its last line on at the speed it had since its first.
    if (!run.first || !(run.lastMs > run.firstMs) || !(run.last.encoded > run.first->encoded))
        return qMin(nowMs, run.lastMs);
    const double perMs = (run.last.encoded - run.first->encoded) / (run.lastMs - run.firstMs);
    return qMin(nowMs, run.lastMs + qMax(0.0, length - run.last.encoded) / perMs);
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

double
BatchEstimate::PlayOut(std::vector<Left> placed, const QList<Left> &waiting, size_t places) const
{
    // Less than this is done: what is left of a step is the arithmetic's.
    constexpr double Done = 1e-6;
    qsizetype next = 0;
    double ms = 0.0;
    for (bool same = true;; same = false) {
        while (placed.size() < places && next < waiting.size())
            placed.push_back(waiting.at(next++));
        if (placed.empty())
            break;
        const auto working = std::count_if(
            placed.cbegin(), placed.cend(), [](const Left &job) { return job.lagMs <= 0.0; });
        // An equal part of the cores, as much as one encoder takes; while the jobs are those
        // running now, the speeds they have had among them, taken in as they settle.
        const double part = working > 0 ? MachineRate(int(working)) / double(working) : 0.0;
        // Each job's stage: what is left of it, and how much of that a millisecond does. Its
        // start is wall time.
        std::vector<std::pair<double *, double>> stages;
        double step = std::numeric_limits<double>::max();
        for (Left &job : placed) {
            if (job.lagMs > 0.0)
                stages.push_back({&job.lagMs, 1.0});
            else if (job.cpuMs > 0.0)
                stages.push_back(
                    {&job.cpuMs,
                     same ? job.rateNow * job.weightNow + part * (1.0 - job.weightNow) : part});
            else
                stages.push_back({&job.finishing, part});
            step = qMin(step, *stages.back().first / stages.back().second);
        }
        ms += step;
        for (const auto &[left, rate] : stages)
            *left = *left - rate * step > Done ? *left - rate * step : 0.0;
        std::erase_if(placed, [](const Left &job) {
            return job.lagMs <= 0.0 && job.cpuMs <= 0.0 && job.finishing <= 0.0;
        });
    }
    return ms;
}

std::optional<double> BatchEstimate::Estimate() const
{
    // Among the same jobs this long, their own speeds are all that counts.
    constexpr double TrustedMs = 5000.0;
    const double batchCost = BatchCost();
    if (!(batchCost > 0.0))
        return std::nullopt;
    const double startLag = StartLag();
    // The time each job still needs: the running jobs hold places, the others wait.
    std::vector<Left> placed;
    QList<Left> waiting;
    for (const int row : m_rows) {
        if (m_ended.contains(row) || !m_state.jobs.isValidIndex(row))
            continue;
        const double length = MediaSeconds(m_state.jobs.copyOut(row));
        const double finishing = FinishingMs(length);
        const auto run = m_running.constFind(row);
        if (run == m_running.cend()) {
            Left left;
            left.lagMs = startLag;
            left.cpuMs = length * CostFor(row, batchCost);
            left.finishing = finishing;
            waiting.append(left);
        } else if (run->passEndShare) {
            // One that takes longer than the others did is not done at once: it needs
            // about half again what it has had (its files or the disk may be slow).
            const double had = m_share - *run->passEndShare;
            Left left;
            left.finishing = qMax(finishing - had, had / 2.0);
            placed.push_back(left);
        } else {
            const double cost = run->OwnCost() > 0.0 ? run->OwnCost() : CostFor(row, batchCost);
            Left left;
            left.lagMs = run->first ? 0.0 : qMax(0.0, startLag - (m_nowMs - run->startMs));
            left.cpuMs = (length - run->last.encoded) * cost;
            left.finishing = finishing;
            // Its speed among them, as processor time at its own cost: the cost of a media
            // second changes along the source, and the speed shows it first.
            left.rateNow = run->SpeedAmong() * cost;
            left.weightNow = left.rateNow > 0.0 ? qMin(1.0, run->MsAmong() / TrustedMs) : 0.0;
            placed.push_back(left);
        }
    }
    if (placed.empty())
        return std::nullopt;
    const size_t places = qMax(placed.size(), size_t(m_places));
    return PlayOut(std::move(placed), waiting, places) / 1000.0;
}

std::optional<double> BatchEstimate::SecondsLeft(quint32 now)
{
    if (m_pausedAt || m_running.isEmpty())
        return std::nullopt;
    Observe(now);
    const quint32 runningMs = RunningMs(now);
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
