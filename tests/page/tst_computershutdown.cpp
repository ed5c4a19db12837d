#include "page/computershutdown.h"
#include "page/logindpoweroff.h"
#include "privatebus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A switch that answers as told and counts what it is asked.
class RecordingService : public PowerOffService
{
public:
    bool may = false;
    int asked = 0;
    int powerOffs = 0;

    void AskCanPowerOff(std::function<void(bool)> answer) override
    {
        ++asked;
        answer(may);
    }
    void RequestPowerOff() override { ++powerOffs; }
};

} // namespace

// Stands in for systemd-logind on a private bus.
class StandInLogind : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    QString answer = "yes";
    int canPowerOffCalls = 0;
    QList<bool> powerOffCalls; // the interactive argument of each call

public slots:
    QString CanPowerOff()
    {
        ++canPowerOffCalls;
        return answer;
    }
    void PowerOff(bool interactive) { powerOffCalls.append(interactive); }
};

class TestComputerShutdown : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void failureMessageOnlyWhenNotAllowed();
    void failureMessageBox();
    void logindSaysYes();
    void logindSaysNoOrChallenge_data();
    void logindSaysNoOrChallenge();
    void noLogindOrNoBus();

private:
    QTemporaryDir m_dir;
    PrivateBus m_bus;
    StandInLogind m_logind;
    QList<QWidget *> m_messages; // owners the failure message was shown for
    QWidget m_page;

    ComputerShutdown::FailureMessage Recorder()
    {
        return [this](QWidget *owner) { m_messages.append(owner); };
    }
};

void TestComputerShutdown::initTestCase()
{
    // A bus of our own stands in for the system bus, which these machines lack; nothing
    // reaches the real logind.
    QVERIFY(m_dir.isValid());
    QVERIFY2(m_bus.Start(m_dir.filePath("system_bus")), "dbus-daemon did not start");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_bus.address.toUtf8());
    QVERIFY(QDBusConnection::systemBus().isConnected());

    QDBusConnection standIn = QDBusConnection::connectToBus(m_bus.address, "stand-in logind");
    QVERIFY(standIn.isConnected());
    QVERIFY(standIn.registerObject(
        "/org/freedesktop/login1", &m_logind, QDBusConnection::ExportAllSlots));
    QVERIFY(standIn.registerService("org.freedesktop.login1"));
}

void TestComputerShutdown::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus("stand-in logind");
}

void TestComputerShutdown::failureMessageOnlyWhenNotAllowed()
{
    auto service = std::make_unique<RecordingService>();
    RecordingService *fake = service.get();
    ComputerShutdown shutdown(std::move(service), Recorder());

    shutdown.ShutDown(&m_page);
    QCOMPARE(fake->asked, 1);
    QCOMPARE(fake->powerOffs, 0);
    QCOMPARE(m_messages, QList<QWidget *>{&m_page});

    m_messages.clear();
    fake->may = true;
    shutdown.ShutDown(&m_page);
    QCOMPARE(fake->powerOffs, 1);
    QVERIFY(m_messages.isEmpty());
}

void TestComputerShutdown::failureMessageBox()
{
    // The real message box, closed by the user a moment after it appears.
    QString text;
    QString caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QTimer closer;
    closer.setInterval(20);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        closer.stop();
        text = box->text();
        caption = box->windowTitle();
        icon = box->icon();
        buttons = box->standardButtons();
        QTest::keyClick(box, Qt::Key_Return);
    });
    closer.start();
    ComputerShutdown::ShowFailureMessage(&m_page);
    QCOMPARE(text, QString("Your computer cannot shutdown"));
    QCOMPARE(caption, QString("Warning"));
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestComputerShutdown::logindSaysYes()
{
    m_logind.answer = "yes";
    m_logind.powerOffCalls.clear();
    m_messages.clear();
    ComputerShutdown shutdown(nullptr, Recorder());
    shutdown.ShutDown(&m_page);
    QTRY_COMPARE(m_logind.powerOffCalls, QList<bool>{false});
    QVERIFY(m_messages.isEmpty());
}

void TestComputerShutdown::logindSaysNoOrChallenge_data()
{
    QTest::addColumn<QString>("answer");
    QTest::newRow("no") << "no";
    QTest::newRow("challenge") << "challenge";
    QTest::newRow("na") << "na";
}

void TestComputerShutdown::logindSaysNoOrChallenge()
{
    QFETCH(QString, answer);
    m_logind.answer = answer;
    m_logind.powerOffCalls.clear();
    m_messages.clear();
    const int calls = m_logind.canPowerOffCalls;
    ComputerShutdown shutdown(nullptr, Recorder());
    shutdown.ShutDown(&m_page);
    QTRY_COMPARE(m_messages.size(), 1);
    QCOMPARE(m_logind.canPowerOffCalls, calls + 1);
    QVERIFY(m_logind.powerOffCalls.isEmpty());
}

void TestComputerShutdown::noLogindOrNoBus()
{
    // The bus is there but nobody answers for logind.
    m_messages.clear();
    QDBusConnection standIn("stand-in logind");
    QVERIFY(standIn.unregisterService("org.freedesktop.login1"));
    {
        ComputerShutdown shutdown(nullptr, Recorder());
        shutdown.ShutDown(nullptr);
        QTRY_COMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first(), nullptr);
    }
    QVERIFY(standIn.registerService("org.freedesktop.login1"));

    // No bus at all.
    m_messages.clear();
    const QDBusConnection none
        = QDBusConnection::connectToBus("unix:path=" + m_dir.filePath("no_such_bus"), "no bus");
    QVERIFY(!none.isConnected());
    ComputerShutdown shutdown(std::make_unique<LogindPowerOff>(none), Recorder());
    shutdown.ShutDown(&m_page);
    QTRY_COMPARE(m_messages.size(), 1);
    QVERIFY(m_logind.powerOffCalls.isEmpty());
    QDBusConnection::disconnectFromBus("no bus");
}

QTEST_MAIN(TestComputerShutdown)
#include "tst_computershutdown.moc"
