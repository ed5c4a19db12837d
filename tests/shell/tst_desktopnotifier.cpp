#include "engine/batchoutcome.h"
#include "engine/joblist.h"
#include "page/cmivarteldlg.h"
#include "page/pagesources.h"
#include "pagefixture.h"
#include "privatebus.h"
#include "shell/desktopnotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// Stands in for the desktop's notification service on a private session bus.
class StandInNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList received; // "title|text" of each notification

public slots:
    uint Notify(const QString &,
                uint,
                const QString &,
                const QString &summary,
                const QString &body,
                const QStringList &,
                const QVariantMap &,
                int)
    {
        received.append(summary + "|" + body);
        return uint(received.size());
    }
};

class TestDesktopNotifier : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PrivateBus m_bus;
    StandInNotifications m_service;

    // What arrived before a marker sent after it on the same connection, which the bus
    // delivers in order: so "nothing" is seen without waiting for a time-out.
    QStringList ReceivedUpToMarker()
    {
        QDBusMessage marker = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                             "/org/freedesktop/Notifications",
                                                             "org.freedesktop.Notifications",
                                                             "Notify");
        marker << QString() << 0u << QString() << "marker" << QString() << QStringList()
               << QVariantMap() << -1;
        QDBusConnection::sessionBus().send(marker);
        if (!QTest::qWaitFor([this] { return m_service.received.contains("marker|"); }))
            return {"the marker never arrived"};
        QStringList before = m_service.received;
        before.removeAll("marker|");
        m_service.received.clear();
        return before;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.Start(m_dir.filePath("session_bus")));
        // Never the user's own desktop: the notifier's default bus is this private one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address.toUtf8());
        QDBusConnection standIn = QDBusConnection::connectToBus(m_bus.address, "stand-in");
        QVERIFY(standIn.registerObject(
            "/org/freedesktop/Notifications", &m_service, QDBusConnection::ExportAllSlots));
        QVERIFY(standIn.registerService("org.freedesktop.Notifications"));
    }

    // The page tells the desktop at the end of a batch only while the user is elsewhere.
    void pageNotifiesOnlyBehindAnotherWindow_data()
    {
        QTest::addColumn<bool>("elsewhere");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("another window active")
            << true << QStringList{"Mivartel|Converting Finished"};
        QTest::newRow("the program's window active") << false << QStringList{};
    }
    void pageNotifiesOnlyBehindAnotherWindow()
    {
        QFETCH(bool, elsewhere);
        QFETCH(QStringList, expected);
        PageFixture fixture;
        fixture.SetUp();
        CMivartelDlg *page = fixture.Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(fixture.Clip("short", 2)));
        page->state().outputDirectory = fixture.OutputDir();
        QWidget other;
        if (elsewhere) {
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
        } else {
            QVERIFY(QTest::qWaitForWindowActive(fixture.outer.get()));
        }
        page->StartConverting();
        QCOMPARE(fixture.notices.size(), 1);
        QCOMPARE(ReceivedUpToMarker(), expected);
    }

    void cleanupTestCase() { QDBusConnection::disconnectFromBus("stand-in"); }

    void batchEnd_data()
    {
        QTest::addColumn<bool>("windowActive");
        QTest::addColumn<QList<int>>("failedMarks");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("all converted, window inactive")
            << false << QList<int>{0, 0} << QStringList{"Mivartel|Converting Finished"};
        QTest::newRow("one of three failed")
            << false << QList<int>{0, 1, 0} << QStringList{"Mivartel|1 of 3 conversions failed"};
        QTest::newRow("the only job failed")
            << false << QList<int>{1} << QStringList{"Mivartel|1 of 1 conversion failed"};
        QTest::newRow("window active") << true << QList<int>{0, 1} << QStringList{};
    }
    void batchEnd()
    {
        QFETCH(bool, windowActive);
        QFETCH(QList<int>, failedMarks);
        QFETCH(QStringList, expected);
        JobList jobs;
        QList<int> rows;
        for (int failed : failedMarks) {
            rows.append(jobs.count());
            ConversionJob job = ConversionJob::ForSource("/videos/clip.avi", 10);
            job.failed = failed;
            job.finished = 1 - failed;
            jobs.append(job);
        }
        const BatchOutcome outcome = BatchOutcome::Of(jobs, rows, false);
        QCOMPARE(DesktopNotifier().BatchEnded(windowActive, outcome), !expected.isEmpty());
        QCOMPARE(ReceivedUpToMarker(), expected);
    }

    void noServiceOrNoBus()
    {
        BatchOutcome jobs;
        jobs.finished = 1;
        QTest::failOnWarning(QRegularExpression(".*"));
        QDBusConnection standIn("stand-in");
        QVERIFY(standIn.unregisterService("org.freedesktop.Notifications"));
        DesktopNotifier().BatchEnded(false, jobs);
        QVERIFY(standIn.registerService("org.freedesktop.Notifications"));
        QCOMPARE(ReceivedUpToMarker(), QStringList{});

        const QDBusConnection none
            = QDBusConnection::connectToBus("unix:path=" + m_dir.filePath("no_such_bus"), "no bus");
        QVERIFY(!DesktopNotifier(none).BatchEnded(false, jobs));
        QDBusConnection::disconnectFromBus("no bus");
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
