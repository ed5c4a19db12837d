#include "engine/batchestimate.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/sharedstate.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <memory>
#include <vector>

// A batch to play: `jobs` jobs in waves of `atOnce`, each as the recorded run slowed by
// `slower`, then `finishingMs` in the passes after pass 1 (the 3G2 type's remux and
// checks). With pauseMs, the batch pauses once it has run pauseAtMs; `failing` (a job's
// index) fails halfway through its pass 1. The machine has a core for each job at once; with
// `shared`, it has two for three: the jobs share them, and a last wave of two runs as much
// faster, but one left alone hardly faster than that (AloneRate).
struct Batch
{
    int jobs = 1;
    int atOnce = 1;
    double slower = 1.0;
    quint32 finishingMs = 0;
    quint32 pauseAtMs = 0;
    quint32 pauseMs = 0;
    int failing = -1;
    bool shared = false;
};

enum Closeness { Loose, OfBatch, OfTruth };

Q_DECLARE_METATYPE(Batch)
Q_DECLARE_METATYPE(Closeness)

// The time left of a batch, against a recorded run of the encoder (pass 1 of a 300-s clip,
// its status chunks with the milliseconds at which they came), played as every job of a batch.
class TestBatchEstimate : public QObject
{
    Q_OBJECT

private:
    struct Chunk
    {
        quint32 ms;
        QByteArray text;
    };
    QList<Chunk> m_run;
    quint32 m_runMs = 0; // when the encoder ended

    struct Sample
    {
        double elapsed; // seconds the batch has run, paused time left out
        double wall;    // seconds since the start
        double share;   // of the batch's media encoded
        std::optional<double> left;
        double truth;
        int failures; // before this sample
    };

    enum Kind { Chunked, Failed, FirstPassDone, Ended, Started, Sampled };
    struct Event
    {
        quint32 ms; // of running time
        Kind kind;
        int job;
        int chunk;
    };

    static constexpr double Length = 300.0;
    static constexpr quint32 SampleEveryMs = 250;
    static constexpr quint32 Start = 1000;
    static constexpr int SharedCores = 2;
    // What an encoder with the machine to itself takes: a little less than the estimate
    // assumes until it has seen one alone.
    static constexpr double AloneRate = 1.2;
    // No figure before this share of the media is done or this long.
    static constexpr double QuietShare = 0.05;
    static constexpr double QuietSeconds = 10.0;

    // ffmpeg's speed is the time reached over the wall time since it began encoding, a pause
    // (the encoder stopped) included: the recorded figure, for a run `slower` times slower
    // and `pausedSeconds` later.
    static QByteArray WithSpeed(const QByteArray &text, double slower, double pausedSeconds)
    {
        static const QRegularExpression time(QStringLiteral("time=(\\d+):(\\d+):([\\d.]+)"));
        static const QRegularExpression speed(QStringLiteral("speed=\\s*([\\d.]+)x"));
        QString replaced = QString::fromLatin1(text);
        const QRegularExpressionMatch reached = time.match(replaced);
        const QRegularExpressionMatch recorded = speed.match(replaced);
        if (!reached.hasMatch() || !recorded.hasMatch() || !(recorded.captured(1).toDouble() > 0))
            return text;
        const double seconds = reached.captured(1).toDouble() * 3600
                               + reached.captured(2).toDouble() * 60
                               + reached.captured(3).toDouble();
        const double wall = seconds / recorded.captured(1).toDouble() * slower + pausedSeconds;
        replaced.replace(speed, QStringLiteral("speed=%1x").arg(seconds / wall, 0, 'f', 2));
        return replaced.toLatin1();
    }

    QList<Sample> Replay(const Batch &batch)
    {
        SharedState state;
        QList<int> rows;
        for (int i = 0; i < batch.jobs; ++i) {
            state.jobs.append(ConversionJob::ForSource(QString("/v/%1.mp4").arg(i), Length));
            rows.append(i);
        }
        // Each wave's slowness, and when it starts.
        QList<double> slower;
        QList<quint32> waveStarts{0};
        const int cores = batch.shared ? SharedCores : batch.atOnce;
        const auto rate = [cores](int count) { return qMin(AloneRate, double(cores) / count); };
        // Every job does the same work: a wave slower for sharing has as little of the cores.
        const double cpuPerRecordedMs = batch.slower * rate(batch.atOnce);
        for (int first = 0; first < batch.jobs; first += batch.atOnce) {
            const int count = qMin(batch.atOnce, batch.jobs - first);
            slower.append(batch.slower * rate(batch.atOnce) / rate(count));
            waveStarts.append(waveStarts.last()
                              + quint32(slower.last() / batch.slower
                                        * (m_runMs * batch.slower + batch.finishingMs)));
        }
        const quint32 totalMs = waveStarts.last();
        QList<Event> events;
        QList<double> jobSlower; // each job's
        for (int job = 0; job < batch.jobs; ++job) {
            const int wave = job / batch.atOnce;
            const quint32 waveStart = waveStarts.at(wave);
            jobSlower.append(slower.at(wave));
            const quint32 passMs = quint32(m_runMs * slower.at(wave));
            const quint32 waveMs = waveStarts.at(wave + 1) - waveStart;
            events.append({waveStart, Started, job, 0});
            const quint32 failAt = job == batch.failing ? waveStart + passMs / 2 : totalMs + 1;
            for (int c = 0; c < m_run.size(); ++c) {
                const quint32 at = waveStart + quint32(m_run.at(c).ms * slower.at(wave));
                if (at < failAt)
                    events.append({at, Chunked, job, c});
            }
            if (failAt <= totalMs) {
                events.append({failAt, Failed, job, 0});
                continue;
            }
            if (batch.finishingMs > 0)
                events.append({waveStart + passMs, FirstPassDone, job, 0});
            events.append({waveStart + waveMs, Ended, job, 0});
        }
        for (quint32 ms = 0; ms <= totalMs; ms += SampleEveryMs)
            events.append({ms, Sampled, -1, 0});
        std::stable_sort(events.begin(), events.end(), [](const Event &a, const Event &b) {
            return a.ms < b.ms || (a.ms == b.ms && a.kind < b.kind);
        });

        // The wall clock: running time plus the pause once it has come.
        const auto wall = [&](quint32 ms) {
            return Start + ms + (batch.pauseMs > 0 && ms >= batch.pauseAtMs ? batch.pauseMs : 0);
        };
        BatchEstimate estimate(state, cores);
        estimate.Start(rows, Start);
        std::vector<std::unique_ptr<JobSlot>> jobSlots;
        std::vector<std::unique_ptr<JobProgress>> progress;
        for (int job = 0; job < batch.jobs; ++job) {
            jobSlots.push_back(std::make_unique<JobSlot>());
            jobSlots.back()->jobIndex = job;
            progress.push_back(std::make_unique<JobProgress>(state, *jobSlots.back()));
        }
        QList<quint32> startedAt(batch.jobs, 0); // each job's, in running time
        QList<Sample> samples;
        int failures = 0;
        bool paused = false;
        const auto sample = [&](quint32 ms, quint32 now) {
            double done = 0.0;
            for (int job = 0; job < batch.jobs; ++job)
                done += state.jobs.copyOut(job).encodedTime;
            samples.append({ms / 1000.0,
                            (now - Start) / 1000.0,
                            done / (Length * batch.jobs),
                            estimate.SecondsLeft(now),
                            (totalMs - ms) / 1000.0,
                            failures});
        };
        for (const Event &event : std::as_const(events)) {
            if (batch.pauseMs > 0 && !paused && event.ms >= batch.pauseAtMs) {
                paused = true;
                const quint32 from = Start + batch.pauseAtMs;
                estimate.Pause(from);
                for (quint32 ms = SampleEveryMs; ms < batch.pauseMs; ms += SampleEveryMs)
                    sample(batch.pauseAtMs, from + ms);
                estimate.Resume(from + batch.pauseMs);
            }
            const quint32 now = wall(event.ms);
            ConversionJob job = event.job >= 0 ? state.jobs.copyOut(event.job) : ConversionJob();
            switch (event.kind) {
            case Started:
                startedAt[event.job] = event.ms;
                jobSlots.at(event.job)->jobStartTick = now;
                progress.at(event.job)->SetJobStage(JobStage::FirstPass);
                estimate.JobStarted(event.job, now);
                break;
            case Chunked:
                progress.at(event.job)->ParseEncoderOutput(
                    WithSpeed(m_run.at(event.chunk).text,
                              jobSlower.at(event.job),
                              (now - jobSlots.at(event.job)->jobStartTick
                               - (event.ms - startedAt.at(event.job)))
                                  / 1000.0)
                        .toStdString(),
                    now,
                    m_run.at(event.chunk).ms * cpuPerRecordedMs);
                break;
            case Failed:
                job.failed = 1;
                state.jobs.replace(event.job, job);
                ++failures;
                estimate.JobEnded(event.job, now);
                break;
            case FirstPassDone:
                progress.at(event.job)->SetJobStage(JobStage::SecondPhase);
                break;
            case Ended:
                job.finished = 1;
                job.encodedTime = Length;
                state.jobs.replace(event.job, job);
                estimate.JobEnded(event.job, now);
                break;
            case Sampled:
                sample(event.ms, now);
                break;
            }
        }
        return samples;
    }

    static QList<Sample> WithFigures(const QList<Sample> &samples)
    {
        QList<Sample> shown;
        std::copy_if(samples.cbegin(),
                     samples.cend(),
                     std::back_inserter(shown),
                     [](const Sample &s) { return s.left.has_value(); });
        return shown;
    }

    static void FollowsTheRun(const QList<Sample> &samples, Closeness close)
    {
        const double total = samples.last().elapsed + samples.last().truth;
        for (double share : {0.1, 0.5, 0.9}) {
            const auto at = std::find_if(samples.cbegin(), samples.cend(), [&](const Sample &s) {
                return s.elapsed >= share * total;
            });
            QVERIFY(at != samples.cend());
            const double error = (*at->left - at->truth) / (close == OfTruth ? at->truth : total);
            qInfo("%d%%: %.1f s left estimated, %.1f s true (%+.1f %% of the %s)",
                  int(share * 100),
                  *at->left,
                  at->truth,
                  error * 100,
                  close == OfTruth ? "truth" : "batch");
            QVERIFY2(qAbs(error) < 0.25, qPrintable(QString::number(error)));
        }
    }

    // No figure until 5 % of the batch's media is done or it has run 10 s, and one soon
    // after: a slow start (the encoders' opening) says little of the speed.
    static void QuietUntilMeasured(const QList<Sample> &samples)
    {
        const auto due = std::find_if(samples.cbegin(), samples.cend(), [](const Sample &s) {
            return s.share >= QuietShare || s.elapsed >= QuietSeconds;
        });
        QVERIFY(due != samples.cend());
        for (auto it = samples.cbegin(); it != due; ++it)
            QVERIFY2(!it->left, qPrintable(QStringLiteral("a figure at %1 s").arg(it->elapsed)));
        QVERIFY(std::any_of(due, samples.cend(), [&](const Sample &s) {
            return s.left && s.elapsed <= due->elapsed + 1.0;
        }));
    }

    // Within any second the figure grows by half at most, unless a job failed in between:
    // where the jobs' finishing passes take time that pass 1 does not show, and where a
    // job's end switches the estimate to the batch's speed.
    static void RisesSlowly(const QList<Sample> &samples)
    {
        for (qsizetype i = 0; i < samples.size(); ++i) {
            for (qsizetype j = i + 1; j < samples.size(); ++j) {
                const Sample &a = samples.at(i);
                const Sample &b = samples.at(j);
                if (b.wall - a.wall > 1.0)
                    break;
                if (b.failures == a.failures)
                    QVERIFY2(*b.left <= 1.5 * *a.left,
                             qPrintable(QStringLiteral("%1 s left at %2 s, %3 s at %4 s")
                                            .arg(*a.left)
                                            .arg(a.wall)
                                            .arg(*b.left)
                                            .arg(b.wall)));
            }
        }
    }

    // A pause stops the encoders but not their clocks, so their own speeds fall; the figure
    // after it is no higher than before it (and none is given during it).
    static void PauseDoesNotInflate(const QList<Sample> &samples, const Batch &batch)
    {
        const double pauseAt = batch.pauseAtMs / 1000.0;
        const double resumeAt = pauseAt + batch.pauseMs / 1000.0;
        std::optional<double> before;
        QList<double> after;
        for (const Sample &s : samples) {
            if (s.wall < pauseAt && s.left)
                before = s.left;
            else if (s.wall >= pauseAt && s.wall < resumeAt)
                QVERIFY2(!s.left, "a figure while paused");
            else if (s.wall >= resumeAt && s.wall < resumeAt + 5.0 && s.left)
                after.append(*s.left);
        }
        QVERIFY(before);
        QVERIFY(!after.isEmpty());
        const double most = *std::max_element(after.cbegin(), after.cend());
        QVERIFY2(
            most <= *before * 1.05,
            qPrintable(QStringLiteral("%1 s before the pause, %2 s after").arg(*before).arg(most)));
    }

private slots:
    void initTestCase()
    {
        QFile file(MIVARTEL_SOURCE_DIR "/tests/engine/data/encoderrun.txt");
        QVERIFY(file.open(QIODevice::ReadOnly));
        while (!file.atEnd()) {
            const QByteArray line = file.readLine().chopped(1);
            const qsizetype tab = line.indexOf('\t');
            QByteArray text = line.mid(tab + 1);
            const quint32 ms = line.left(tab).toUInt();
            if (text == "end") {
                m_runMs = ms;
                break;
            }
            text.replace("\\r", "\r").replace("\\n", "\n");
            m_run.append({ms, text});
        }
        QVERIFY(m_run.size() > 10 && m_runMs > 5000);
    }

    void texts_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("59 s") << 59.0 << "less than a minute";
        QTest::newRow("one minute") << 60.0 << "about 1 min";
        QTest::newRow("rounded up") << 151.0 << "about 3 min";
        QTest::newRow("hours") << 3.0 * 3600 + 5 * 60 << "about 3 h 5 min";
    }
    void texts()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(BatchEstimate::Text(seconds), text);
    }

    // Every batch played, against every rule of the figure that applies to it.
    void replay_data()
    {
        QTest::addColumn<Batch>("batch");
        // How close the figure must stay from 10 % of the batch on: within a quarter of the
        // batch's time, or of the time truly left; not at all where finishing passes as long
        // as half of pass 1 come as news, nor where a job fails.
        QTest::addColumn<Closeness>("close");
        QTest::newRow("one job") << Batch{1, 1} << OfBatch;
        QTest::newRow("three jobs") << Batch{3, 1} << OfBatch;
        QTest::newRow("four jobs, two at once") << Batch{4, 2} << OfBatch;
        QTest::newRow("six jobs, three at once, finishing, paused") << Batch{.jobs = 6,
                                                                             .atOnce = 3,
                                                                             .finishingMs = 1500,
                                                                             .pauseAtMs = 9000,
                                                                             .pauseMs = 20000}
                                                                    << OfBatch;
        // The last jobs run faster once the others have ended.
        QTest::newRow("five jobs, three at once, sharing the machine")
            << Batch{.jobs = 5, .atOnce = 3, .finishingMs = 3000, .shared = true} << OfTruth;
        QTest::newRow("four jobs, three at once on two cores: the last alone")
            << Batch{.jobs = 4, .atOnce = 3, .finishingMs = 3000, .shared = true} << OfTruth;
        QTest::newRow("ten jobs: 5 % after 3 s") << Batch{10, 1} << OfBatch;
        QTest::newRow("forty jobs: 10 s first") << Batch{40, 1} << OfBatch;
        QTest::newRow("slow machine, three at once: 10 s first")
            << Batch{.jobs = 30, .atOnce = 3, .slower = 4.0} << OfBatch;
        QTest::newRow("three jobs, finishing passes")
            << Batch{.jobs = 3, .atOnce = 1, .finishingMs = 6000} << Loose;
        QTest::newRow("six jobs, three at once, finishing passes")
            << Batch{.jobs = 6, .atOnce = 3, .finishingMs = 5000} << Loose;
        QTest::newRow("five jobs, one failing")
            << Batch{.jobs = 5, .atOnce = 1, .finishingMs = 6000, .failing = 1} << Loose;
        QTest::newRow("one job, 20 s at 30 %")
            << Batch{.jobs = 1, .atOnce = 1, .pauseAtMs = 3500, .pauseMs = 20000} << OfBatch;
        QTest::newRow("three jobs at once, 60 s at 40 %")
            << Batch{.jobs = 3, .atOnce = 3, .pauseAtMs = 4700, .pauseMs = 60000} << OfBatch;
        QTest::newRow("five jobs, finishing passes, 20 s early in the third")
            << Batch{.jobs = 5,
                     .atOnce = 1,
                     .finishingMs = 2000,
                     .pauseAtMs = 30000,
                     .pauseMs = 20000}
            << OfBatch;
    }
    void replay()
    {
        QFETCH(Batch, batch);
        QFETCH(Closeness, close);
        const QList<Sample> samples = Replay(batch);
        QuietUntilMeasured(samples);
        const QList<Sample> shown = WithFigures(samples);
        QVERIFY(!shown.isEmpty());
        RisesSlowly(shown);
        if (batch.pauseMs > 0)
            PauseDoesNotInflate(samples, batch);
        if (close != Loose)
            FollowsTheRun(shown, close);
    }
};

QTEST_GUILESS_MAIN(TestBatchEstimate)
#include "tst_batchestimate.moc"
