#include "page/cmivarteldlg.h"
#include "page/pagesources.h"
#include "pagefixture.h"
#include "privatebus.h"

#include <QDBusConnection>
#include <QTemporaryDir>
#include <QTest>

// Stands in for the desktop's task bar: records the launcher entry's updates.
class StandInTaskBar : public QObject
{
    Q_OBJECT

public:
    struct Update
    {
        QString uri;
        double progress;
        bool visible;
    };
    QList<Update> updates;

public slots:
    void OnUpdate(const QString &uri, const QVariantMap &properties)
    {
        updates.append({uri,
                        properties.value("progress").toDouble(),
                        properties.value("progress-visible").toBool()});
    }
};

// The batch's progress on the launcher's icon, through the session bus.
class TestLauncherEntry : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PrivateBus m_bus;
    StandInTaskBar m_taskBar;

private slots:
    void initTestCase()
    {
        QVERIFY(m_bus.Start(m_dir.filePath("session_bus")));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address.toUtf8());
        QDBusConnection taskBar = QDBusConnection::connectToBus(m_bus.address, "task-bar");
        QVERIFY(taskBar.connect(QString(),
                                QString(),
                                "com.canonical.Unity.LauncherEntry",
                                "Update",
                                &m_taskBar,
                                SLOT(OnUpdate(QString, QVariantMap))));
    }
    void cleanupTestCase() { QDBusConnection::disconnectFromBus("task-bar"); }

    // A batch in the real window: rising shares while it runs, then the bar goes away.
    void windowShowsItsBatch()
    {
        m_taskBar.updates.clear();
        PageFixture fixture;
        fixture.SetUp();
        CMivartelDlg *page = fixture.Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(fixture.Clip("twenty", 20)));
        QVERIFY(page->sources().AddSourcePath(fixture.Clip("twenty", 20)));
        page->state().outputDirectory = fixture.OutputDir();
        page->StartConverting();
        QTRY_VERIFY(!m_taskBar.updates.isEmpty() && !m_taskBar.updates.last().visible);
        QVERIFY(m_taskBar.updates.size() >= 2);
        QCOMPARE(m_taskBar.updates[0].uri, "application://org.mivartel.Mivartel.desktop");
        double last = 0.0;
        for (int i = 0; i + 1 < m_taskBar.updates.size(); ++i) {
            QVERIFY(m_taskBar.updates[i].visible);
            QVERIFY(m_taskBar.updates[i].progress >= last);
            last = m_taskBar.updates[i].progress;
        }
    }
};

QTEST_MAIN(TestLauncherEntry)
#include "tst_launcherentry.moc"
