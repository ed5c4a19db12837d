#include "engine/terminationsignals.h"

#include <QDir>
#include <QSet>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// SIGINT and SIGTERM as the window and the console catch them: through a pipe that no child
// inherits and that never holds the handler up.
class TestTerminationSignals : public QObject
{
    Q_OBJECT

private:
    // This process's descriptors that are pipes.
    static QSet<int> Pipes()
    {
        QSet<int> pipes;
        const QStringList names = QDir("/proc/self/fd").entryList(QDir::AllEntries | QDir::System);
        for (const QString &name : names) {
            char target[64] = {};
            const QByteArray path = "/proc/self/fd/" + name.toLatin1();
            if (::readlink(path.constData(), target, sizeof target - 1) > 0
                && QByteArray(target).startsWith("pipe:"))
                pipes.insert(name.toInt());
        }
        return pipes;
    }

    static void (*Handler(int signal))(int)
    {
        struct sigaction action = {};
        sigaction(signal, nullptr, &action);
        return action.sa_handler;
    }

private slots:
    void pipeIsNeitherInheritedNorBlocking()
    {
        const QSet<int> before = Pipes();
        const TerminationSignals caught([] {}, TerminationSignals::SecondSignal::Deliver);
        QVERIFY(caught.isCatching());
        const QSet<int> ends = Pipes() - before;
        QCOMPARE(ends.size(), 2);
        for (const int fd : ends) {
            QVERIFY2(::fcntl(fd, F_GETFD) & FD_CLOEXEC, "an encoder would inherit it");
            QVERIFY2(::fcntl(fd, F_GETFL) & O_NONBLOCK, "a full pipe would hang the handler");
        }
    }

    // More signals than the pipe holds, before the event loop runs: none of them may block,
    // and errno is what it was in the code each one interrupted.
    void burstOfSignals()
    {
        int calls = 0;
        const QSet<int> before = Pipes();
        const TerminationSignals caught([&calls] { ++calls; },
                                        TerminationSignals::SecondSignal::Deliver);
        const QSet<int> ends = Pipes() - before;
        QVERIFY(!ends.isEmpty());
        const int capacity = ::fcntl(*ends.begin(), F_GETPIPE_SZ);
        QVERIFY(capacity > 0);
        for (int i = 0; i < capacity + 16; ++i) {
            errno = EDOM;
            ::raise(i % 2 ? SIGINT : SIGTERM);
            if (errno != EDOM)
                QFAIL(qPrintable(QString("errno %1 after signal %2").arg(errno).arg(i + 1)));
        }
        QTRY_COMPARE(calls, 1);
        // The whole burst was read at once.
        QTest::qWait(50);
        QCOMPARE(calls, 1);
    }

    void handOverRestoresTheEarlierActions()
    {
        const QSet<int> before = Pipes();
        const auto earlierInt = Handler(SIGINT);
        const auto earlierTerm = Handler(SIGTERM);
        {
            const TerminationSignals caught([] {}, TerminationSignals::SecondSignal::Deliver);
            QVERIFY(Handler(SIGINT) != earlierInt);
            QVERIFY(Handler(SIGTERM) != earlierTerm);
        }
        QVERIFY(Handler(SIGINT) == earlierInt);
        QVERIFY(Handler(SIGTERM) == earlierTerm);
        QCOMPARE(Pipes(), before);
        // And a new one catches again.
        int calls = 0;
        const TerminationSignals again([&calls] { ++calls; },
                                       TerminationSignals::SecondSignal::Deliver);
        ::raise(SIGTERM);
        QTRY_COMPARE(calls, 1);
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_terminationsignals.moc"
