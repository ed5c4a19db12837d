#include "pagefixture.h"

#include <QFile>
#include <QProcess>

#include <csignal>
#include <unistd.h>

namespace {

// The ffmpeg processes that this program started and that still exist.
int FfmpegChildren()
{
    int count = 0;
    const QString parent = QString::number(::getpid());
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile status("/proc/" + pid + "/status");
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLatin1(status.readAll());
        if (text.startsWith("Name:\tffmpeg\n") && text.contains("\nPPid:\t" + parent + "\n"))
            ++count;
    }
    return count;
}

// True once the process handles SIGTERM itself: its start-up is complete.
bool CatchesSigterm(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
}

} // namespace

class TestCOuterDlg : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m.SetUp(); }
    void cleanup()
    {
        m.outer.reset();
        m.ClearOutput();
    }

    // The close comes inside the engine's loops; the batch stops, unwinds, and only then does
    // the window go, leaving no encoder and no partial file behind.
    void closingDuringABatchStopsItFirst()
    {
        CMivartelDlg *page = m.OpenWith(m.Clips("clip", 2, 20));
        QVERIFY(page);

        bool closedWhileEncoding = false;
        bool stillShownInsideTheBatch = false;
        const auto closeInPassOne = [&] {
            if (!closedWhileEncoding && page->converting()
                && page->state().jobs.copyOut(0).stage == JobStage::FirstPass) {
                closedWhileEncoding = true;
                m.outer->close();
                stillShownInsideTheBatch = m.outer->isVisible();
            }
        };
        QVERIFY(m.RunBatch(page, closeInPassOne));

        QVERIFY(closedWhileEncoding);
        QVERIFY(stillShownInsideTheBatch);
        QTRY_VERIFY(!m.outer->isVisible());
        QCOMPARE(page->state().jobs.copyOut(0).stage, 9);
        QCOMPARE(FfmpegChildren(), 0);
        QCOMPARE(m.OutputFiles(), QStringList());
        QVERIFY(m.notices.isEmpty());
        QCOMPARE(m.powerOffs, 0);
    }

    // The program as started: one line without a display, a warning for each missing file,
    // and SIGTERM taking the road of a close.
    void startsAndEndsAsAProgram_data()
    {
        QTest::addColumn<bool>("display");
        QTest::addColumn<bool>("copied"); // the executable alone in a folder of its own
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("stderrLines");
        QTest::newRow("no display") << false << false << 1
                                    << QStringList{"mivartel: no display to show the window on "
                                                   "(DISPLAY is not set)"};
        QTest::newRow("beside its files") << true << false << 0 << QStringList();
        QTest::newRow("alone") << true << true << 0
                               << QStringList{"mivartel: no profiles in %1/app/",
                                              "mivartel: no skin file %1/Virurez.skf"};
    }
    void startsAndEndsAsAProgram()
    {
        QFETCH(bool, display);
        QFETCH(bool, copied);
        QFETCH(int, exitCode);
        QFETCH(QStringList, stderrLines);
        QString program = QStringLiteral(MIVARTEL_BUILD_DIR "/mivartel");
        QString folder = QStringLiteral(MIVARTEL_BUILD_DIR);
        if (copied) {
            folder = m.scratch.filePath("alone");
            QVERIFY(QDir().mkpath(folder));
            QFile::remove(folder + "/mivartel");
            QVERIFY(QFile::copy(program, folder + "/mivartel"));
            program = folder + "/mivartel";
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        if (display)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("XDG_CONFIG_HOME", m.scratch.filePath("config"));
        env.insert("XDG_DATA_HOME", m.scratch.filePath("data"));
        // No session bus: the program runs on its own, and never meets the user's window.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m.scratch.filePath("no_bus"));
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(program, {});
        QVERIFY(process.waitForStarted());
        if (display) {
            QTRY_VERIFY_WITH_TIMEOUT(CatchesSigterm(process.processId()), 20000);
            ::kill(pid_t(process.processId()), SIGTERM);
        }
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        for (const QString &line : stderrLines)
            QVERIFY2(err.contains(line.arg(folder) + '\n'), qPrintable(err));
        QCOMPARE(err.count(QStringLiteral("mivartel: ")), stderrLines.size());
    }

private:
    PageFixture m;
};

QTEST_MAIN(TestCOuterDlg)
#include "tst_couterdlg.moc"
