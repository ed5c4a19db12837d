#include "page/cmivarteldlg.h"
#include "page/pagesources.h"
#include "privatebus.h"
#include "shell/cmivartelapp.h"
#include "shell/couterdlg.h"
#include "testmedia.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

// `mivartel FILE...` while a window runs: the real second start hands its files, named from
// its own folder, to the window over the session bus and ends; the window adds them and comes
// to the front. The window is the program's own start-up inside this test.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PrivateBus m_bus;
    CMivartelApp m_first;

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.Start(m_dir.filePath("session_bus")));
        // The second start's bus; the window's own notices stay off the user's desktop too.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address.toUtf8());
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", m_dir.filePath("data").toLocal8Bit());
        for (const char *name : {"a.mp4", "b #1 100%.mkv"})
            QVERIFY(TestMedia::MakeClip(m_dir.filePath(name), 2));
        QVERIFY(!m_first.ClaimInstance(QDBusConnection::connectToBus(m_bus.address, "first")));
        m_first.InitInstance();
    }
    void cleanupTestCase() { QCOMPARE(m_first.ExitInstance(), 0); }

    void secondStartHandsItsFilesToTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("expected"); // in the clips' folder
        QTest::newRow("relative name") << QStringList{"a.mp4"} << QStringList{"a.mp4"};
        QTest::newRow("absolute, and a name with #, % and a space")
            << QStringList{m_dir.filePath("a.mp4"), "b #1 100%.mkv"}
            << QStringList{"a.mp4", "b #1 100%.mkv"};
        QTest::newRow("no file: the window only comes forward") << QStringList{} << QStringList{};
    }
    void secondStartHandsItsFilesToTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, expected);
        COuterDlg *window = m_first.outerWindow();
        window->page()->sources().RemoveAll();
        QWidget other;
        other.show();
        QVERIFY(QTest::qWaitForWindowActive(&other));

        QProcess second;
        second.setWorkingDirectory(m_dir.path());
        QElapsedTimer clock;
        clock.start();
        second.start(MIVARTEL_BUILD_DIR "/mivartel", arguments);
        // The window answers in this test's event loop, so the end is awaited in it.
        QVERIFY(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
        // Well within the hand-over's time-out: answered, not given up on.
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0);

        QTRY_VERIFY(window->isActiveWindow());
        const JobList &jobs = window->page()->state().jobs;
        QTRY_COMPARE(jobs.count(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(jobs.copyOut(i).sourcePath, m_dir.filePath(expected[i]));
    }
};

QTEST_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
