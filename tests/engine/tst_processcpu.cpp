#include "engine/processcpu.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// The processor time of a running program, read from /proc, where its name stands in
// parentheses before the figures: a name with blanks and parentheses of its own is read as
// well as a plain one, and a program that has been reaped gives nothing.
class TestProcessCpu : public QObject
{
    Q_OBJECT

private slots:
    void busyProgram_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "busy";
        QTest::newRow("blanks and parentheses") << "a) b (c) 1 2";
    }
    void busyProgram()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString program = dir.filePath(name);
        QVERIFY(QFile::copy(QStringLiteral("/bin/sh"), program));
        QProcess busy;
        busy.start(program, {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
        QVERIFY(busy.waitForStarted());
        QThread::msleep(400);
        const qint64 pid = busy.processId();
        const std::optional<double> cpuMs = ProcessCpuMs(pid);
        // The scheduler's own count, in nanoseconds, as a second opinion.
        QFile schedstat(QStringLiteral("/proc/%1/schedstat").arg(pid));
        QVERIFY(schedstat.open(QIODevice::ReadOnly));
        const double scheduledMs = schedstat.readAll().split(' ').first().toDouble() / 1e6;
        busy.kill();
        QVERIFY(busy.waitForFinished());
        QVERIFY(cpuMs.has_value());
        QVERIFY2(
            scheduledMs > 20.0 && qAbs(*cpuMs - scheduledMs) <= qMax(30.0, scheduledMs / 10),
            qPrintable(
                QStringLiteral("%1 ms, the scheduler says %2 ms").arg(*cpuMs).arg(scheduledMs)));
        QVERIFY(!ProcessCpuMs(pid).has_value());
    }
};

QTEST_GUILESS_MAIN(TestProcessCpu)
#include "tst_processcpu.moc"
