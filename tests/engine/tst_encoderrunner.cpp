#include "enginefixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {
const QString Fake = QStringLiteral(FAKE_ENCODER);
}

class TestEncoderRunner : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<EngineFixture>();
        m_fixture->state.jobs.append(ConversionJob::ForSource("/a.avi", 10));
    }

    void outputOnStandardErrorIsParsedToo()
    {
        m_fixture->runner.RunWithPipes({Fake, "--status", "3", "--stderr-only"});
        const ConversionJob job = m_fixture->state.jobs.copyOut(0);
        QCOMPARE(job.sizeKB, 30);
        QCOMPARE(job.encodedTime, 3.03);
        QVERIFY(job.framesPerSecond > 0);
        QCOMPARE(m_fixture->LogText(), QString());
    }

    // The time left weighs work in the encoder's processor time: each status line of a real
    // ffmpeg brings it, no more than the wall time on every core.
    void statusLinesCarryTheEncodersProcessorTime()
    {
        QElapsedTimer wall;
        wall.start();
        m_fixture->runner.RunWithPipes({"ffmpeg",
                                        "-nostdin",
                                        "-f",
                                        "lavfi",
                                        "-i",
                                        "testsrc=size=640x480:rate=25:duration=20",
                                        "-c:v",
                                        "mpeg4",
                                        "-f",
                                        "null",
                                        "-"});
        m_fixture->runner.EndEncoder();
        const ConversionJob job = m_fixture->state.jobs.copyOut(0);
        QVERIFY(job.encodedTime > 19.0);
        QVERIFY(job.statusTick != 0);
        QVERIFY2(job.encoderCpuMs > 0.0
                     && job.encoderCpuMs <= wall.elapsed() * QThread::idealThreadCount(),
                 qPrintable(QString::number(job.encoderCpuMs)));
    }

    void childThatExitsAtOnceLeavesNoLogEntry()
    {
        m_fixture->runner.RunWithPipes({Fake, "--exit", "3"});
        m_fixture->runner.EndEncoder();
        QCOMPARE(m_fixture->LogText(), QString());
    }

    void missingProgramIsLoggedOnceAsCreateProcess()
    {
        m_fixture->runner.RunWithPipes({"no-such-encoder-here", "-i", "x"});
        QVERIFY(!m_fixture->runner.encoderPipesOpen());
        m_fixture->runner.EndEncoder();
        m_fixture->runner.RunAndWait({"no-such-tool-either"});
        const QString log = m_fixture->LogText();
        QCOMPARE(log.count("ERROR:"), 1);
        QVERIFY(log.startsWith("ERROR:   API         =   CreateProcess.\n"
                               "       error   code   =   2.\n"
                               "       message         =   No such file or directory\n.\n"));
    }

    void programsBesideTheProfilesAreFoundFirst()
    {
        const QString local = m_fixture->state.engineDirectory + "/localencoder";
        QVERIFY(QFile::copy(Fake, local));
        const QString marker = m_fixture->outputDir.filePath("ran");
        m_fixture->runner.RunAndWait({"localencoder", "--write", marker});
        QVERIFY(QFile::exists(marker));
    }

    void quitCommandEndsTheEncoderAndRepeatsSafely()
    {
        QTimer::singleShot(300, [this] {
            m_fixture->slot.cancelRequested = 1;
            m_fixture->runner.EndEncoder();
        });
        QElapsedTimer clock;
        clock.start();
        m_fixture->runner.RunWithPipes({Fake, "--status", "1", "--hang"});
        QVERIFY(!m_fixture->runner.encoderPipesOpen());
        m_fixture->runner.WaitForEncoderExit(10000);
        QVERIFY2(clock.elapsed() < 5000, "the encoder did not quit on q");
        // A second Stop must neither write nor close again.
        m_fixture->runner.EndEncoder();
        QCOMPARE(m_fixture->state.jobs.copyOut(0).sizeKB, 10);
    }

    void encoderThatIgnoresQuitIsKilledAfterTheGraceTime()
    {
        QTimer::singleShot(200, [this] {
            m_fixture->slot.cancelRequested = 1;
            m_fixture->runner.EndEncoder();
        });
        QElapsedTimer clock;
        clock.start();
        m_fixture->runner.RunWithPipes({Fake, "--hang", "--ignore-q"});
        m_fixture->runner.WaitForEncoderExit(300);
        QVERIFY(clock.elapsed() < 3000);
    }

    void waitedToolRunsToItsEnd()
    {
        const QString marker = m_fixture->outputDir.filePath("tool output");
        m_fixture->runner.RunAndWait({Fake, "--status", "3", "--write", marker});
        QVERIFY(QFile::exists(marker));
    }

    void cancellationKillsTheWaitedTool()
    {
        QTimer::singleShot(200, [this] { m_fixture->slot.cancelRequested = 1; });
        QElapsedTimer clock;
        clock.start();
        m_fixture->runner.RunAndWait({Fake, "--hang"});
        QVERIFY(clock.elapsed() < 3000);
        // A tool started after the cancellation ends at its first look.
        clock.restart();
        m_fixture->runner.RunAndWait({Fake, "--hang"});
        QVERIFY(clock.elapsed() < 3000);
    }

private:
    std::unique_ptr<EngineFixture> m_fixture;
};

QTEST_GUILESS_MAIN(TestEncoderRunner)
#include "tst_encoderrunner.moc"
