#include "engine/batchestimate.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/sharedstate.h"

#include <QFile>
#include <QTest>

#include <memory>
#include <vector>

// The time left of a batch, against a recorded run of the encoder (pass 1 of a 300-s clip,
// its status chunks with the milliseconds at which they came).
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
        double elapsed; // seconds since the start
        double left;    // estimated
        double truth;
    };

    // Plays the recorded run as each of `jobs` jobs of a batch, `atOnce` of them side by side
    // (each as fast as the recorded one), and samples the estimate at every chunk.
    QList<Sample> Replay(int jobs, int atOnce)
    {
        SharedState state;
        QList<int> rows;
        for (int i = 0; i < jobs; ++i) {
            state.jobs.append(ConversionJob::ForSource(QString("/v/%1.mp4").arg(i), 300.0));
            rows.append(i);
        }
        BatchEstimate estimate(state);
        const quint32 start = 1000;
        const int waves = (jobs + atOnce - 1) / atOnce;
        const quint32 end = start + quint32(waves) * m_runMs;
        estimate.Start(rows, start);
        QList<Sample> samples;
        for (int first = 0; first < jobs; first += atOnce) {
            const quint32 waveStart = start + quint32(first / atOnce) * m_runMs;
            const int last = qMin(jobs, first + atOnce);
            std::vector<std::unique_ptr<JobSlot>> jobSlots;
            std::vector<std::unique_ptr<JobProgress>> progress;
            for (int i = first; i < last; ++i) {
                jobSlots.push_back(std::make_unique<JobSlot>());
                jobSlots.back()->jobIndex = i;
                jobSlots.back()->jobStartTick = waveStart;
                progress.push_back(std::make_unique<JobProgress>(state, *jobSlots.back()));
                estimate.JobStarted(i, waveStart);
            }
            for (const Chunk &chunk : std::as_const(m_run)) {
                const quint32 now = waveStart + chunk.ms;
                for (const std::unique_ptr<JobProgress> &job : progress)
                    job->ParseEncoderOutput(chunk.text.toStdString(), now);
                if (const std::optional<double> left = estimate.SecondsLeft(now))
                    samples.append({(now - start) / 1000.0, *left, (end - now) / 1000.0});
            }
            for (int i = first; i < last; ++i) {
                ConversionJob done = state.jobs.copyOut(i);
                done.finished = 1;
                state.jobs.replace(i, done);
                estimate.JobEnded(i);
            }
        }
        return samples;
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

    // Within a quarter of the truth from 10 % of the batch on, for one job and for three (where
    // the jobs after the first go at the batch's speed), one or two at once.
    void followsTheRecordedRun_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::addColumn<int>("atOnce");
        QTest::newRow("one job") << 1 << 1;
        QTest::newRow("three jobs") << 3 << 1;
        QTest::newRow("four jobs, two at once") << 4 << 2;
    }
    void followsTheRecordedRun()
    {
        QFETCH(int, jobs);
        QFETCH(int, atOnce);
        const QList<Sample> samples = Replay(jobs, atOnce);
        QVERIFY(!samples.isEmpty());
        // Quiet at first.
        QVERIFY(samples.first().elapsed >= BatchEstimate::QuietMs / 1000.0);
        const double total = samples.last().elapsed + samples.last().truth;
        for (double share : {0.1, 0.5, 0.9}) {
            const auto at = std::find_if(samples.cbegin(), samples.cend(), [&](const Sample &s) {
                return s.elapsed >= share * total;
            });
            QVERIFY(at != samples.cend());
            const double error = (at->left - at->truth) / total;
            qInfo("%d%%: %.1f s left estimated, %.1f s true (%+.1f %% of the batch)",
                  int(share * 100),
                  at->left,
                  at->truth,
                  error * 100);
            QVERIFY2(qAbs(error) < 0.25, qPrintable(QString::number(error)));
        }
    }
};

QTEST_GUILESS_MAIN(TestBatchEstimate)
#include "tst_batchestimate.moc"
