#include "engine/batchestimate.h"
#include "engine/jobprogress.h"
#include "engine/sharedstate.h"

#include <QFile>
#include <QTest>

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
        double elapsed; // seconds since the start, pauses included
        double left;    // estimated
        double truth;
    };

    // Plays the recorded run as each of `jobs` jobs of a batch, one after the other, with a
    // pause of pauseMs in the middle of the first, and samples the estimate at every chunk.
    // Fails the test when the estimate gives a figure during the pause.
    QList<Sample> Replay(int jobs, quint32 pauseMs)
    {
        SharedState state;
        for (int i = 0; i < jobs; ++i)
            state.jobs.append(ConversionJob::ForSource(QString("/v/%1.mp4").arg(i), 300.0));
        JobProgress progress(state);
        BatchEstimate estimate(state);
        const quint32 start = 1000;
        const quint32 pauseAt = start + m_runMs / 2;
        const quint32 end = start + quint32(jobs) * m_runMs + pauseMs;
        estimate.Start(jobs, start);
        bool pausedOnce = false;
        QList<Sample> samples;
        for (int i = 0; i < jobs; ++i) {
            state.currentJobIndex = i;
            state.jobStartTick = start + quint32(i) * m_runMs + (i > 0 ? pauseMs : 0);
            for (const Chunk &chunk : std::as_const(m_run)) {
                quint32 now = start + quint32(i) * m_runMs + chunk.ms;
                if (pauseMs && now >= pauseAt) {
                    if (!pausedOnce) {
                        pausedOnce = true;
                        estimate.Pause(pauseAt);
                        if (estimate.SecondsLeft(pauseAt + pauseMs / 2))
                            QTest::qFail("a figure while paused", __FILE__, __LINE__);
                        estimate.Resume(pauseAt + pauseMs);
                    }
                    now += pauseMs;
                }
                progress.ParseEncoderOutput(chunk.text.toStdString(), now);
                if (const std::optional<double> left = estimate.SecondsLeft(now))
                    samples.append({(now - start) / 1000.0, *left, (end - now) / 1000.0});
            }
            ConversionJob done = state.jobs.copyOut(i);
            done.finished = 1;
            state.jobs.replace(i, done);
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
        QTest::newRow("nothing") << 0.0 << "less than a minute";
        QTest::newRow("59 s") << 59.0 << "less than a minute";
        QTest::newRow("one minute") << 60.0 << "about 1 min";
        QTest::newRow("rounded down") << 149.0 << "about 2 min";
        QTest::newRow("rounded up") << 151.0 << "about 3 min";
        QTest::newRow("just under an hour") << 3590.0 << "about 1 h 0 min";
        QTest::newRow("hours") << 3.0 * 3600 + 5 * 60 << "about 3 h 5 min";
    }
    void texts()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(BatchEstimate::Text(seconds), text);
    }

    // Within a quarter of the truth from 10 % of the batch on, for one job and for three (where
    // the jobs after the first go at the batch's speed).
    void followsTheRecordedRun_data()
    {
        QTest::addColumn<int>("jobs");
        QTest::newRow("one job") << 1;
        QTest::newRow("three jobs") << 3;
    }
    void followsTheRecordedRun()
    {
        QFETCH(int, jobs);
        const QList<Sample> samples = Replay(jobs, 0);
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

    // A pause stops the figure and leaves the speeds alone: afterwards the same figures come.
    void pauseDoesNotCountAsTime()
    {
        const QList<Sample> plain = Replay(3, 0);
        const QList<Sample> paused = Replay(3, 60000);
        QCOMPARE(paused.size(), plain.size());
        for (int i = 0; i < plain.size(); ++i)
            QCOMPARE(paused[i].left, plain[i].left);
        QVERIFY(paused.last().elapsed > plain.last().elapsed + 59);
    }
};

QTEST_GUILESS_MAIN(TestBatchEstimate)
#include "tst_batchestimate.moc"
