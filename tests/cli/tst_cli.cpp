#include "cliprocess.h"
#include "testmedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// mivartel-cli as a user runs it: a real process, real clips, real ffmpeg.
class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_media;
    QString m_clip;

    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Result Run(const QStringList &arguments) const
    {
        QProcess cli;
        PrepareCli(cli, m_home);
        cli.setArguments(arguments);
        cli.start();
        cli.waitForFinished(120000);
        return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
                QString::fromLocal8Bit(cli.readAllStandardOutput()),
                QString::fromLocal8Bit(cli.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        QVERIFY(TestMedia::MakeClip(m_clip, 6, {"-c:v", "mpeg4", "-c:a", "aac"}));
    }

    void listShowsTypesAndProfiles()
    {
        const Result r = Run({"--list"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n');
        QCOMPARE(lines.first(), QString("0  Cell Phone 3GP  files (3GP + AMR)"));
        QVERIFY(lines.contains("1  Cell Phone 3GP  files (3GP + AAC)"));
        QVERIFY(lines.contains("2  Cell Phone 3GP2 files (3GP2 + AAC)"));
        QCOMPARE(
            lines.at(1),
            QString("     1  Low quality - 128x96 H.263 level 10, 10 fps, AMR-NB 7.95 kbit/s"));
        QCOMPARE(r.out.count("(default)"), 3);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << QStringList{} << "no file to convert";
        QTest::newRow("unknown option")
            << QStringList{"--fast", "a.mp4"} << "unknown option --fast";
        QTest::newRow("type out of range")
            << QStringList{"--type", "3", "a.mp4"} << "invalid value";
        QTest::newRow("value missing") << QStringList{"a.mp4", "--end"} << "--end needs a value";
        QTest::newRow("end before begin")
            << QStringList{"--begin", "5", "--end", "2", "a.mp4"} << "--end must lie after --begin";
        QTest::newRow("missing file") << QStringList{"/nowhere/missing.mp4"} << "no such file";
        QTest::newRow("profile out of range")
            << QStringList{"--profile", "9", "CLIP"} << "has no profile 9";
        QTest::newRow("range past the end")
            << QStringList{"--begin", "7", "CLIP"} << "range lies outside";
        QTest::newRow("unknown short option") << QStringList{"-x", "a.mp4"} << "unknown option -x";
        QTest::newRow("empty value after =") << QStringList{"--type=", "a.mp4"} << "invalid value";
        QTest::newRow("short type out of range")
            << QStringList{"-t", "7", "a.mp4"} << "invalid value \"7\" for --type";
        QTest::newRow("short value missing") << QStringList{"a.mp4", "-b"} << "-b needs a value";
        QTest::newRow("value on a switch") << QStringList{"--list=yes"} << "--list";
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        arguments.replaceInStrings("CLIP", m_clip);
        const Result r = Run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains("usage:"));
    }

    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QStringList>("shown");
        const QStringList options = {"--help",
                                     "--version",
                                     "-l, --list",
                                     "-t, --type <N>",
                                     "-p, --profile <K>",
                                     "-o, --output <DIR>",
                                     "-b, --begin <SECONDS>",
                                     "-e, --end <SECONDS>",
                                     "Exit status: 0"};
        QTest::newRow("--help") << "--help" << options;
        QTest::newRow("-h") << "-h" << options;
        QTest::newRow("--version")
            << "--version" << QStringList{"mivartel-cli " MIVARTEL_VERSION "\n"};
    }
    void helpAndVersion()
    {
        QFETCH(QString, argument);
        QFETCH(QStringList, shown);
        // Among other options, so that nothing else runs.
        const Result r = Run({"--list", argument, "missing.mp4"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.err, QString());
        for (const QString &text : shown)
            QVERIFY2(r.out.contains(text), qPrintable(text + " not in:\n" + r.out));
        QVERIFY(!r.out.contains("Cell Phone"));
    }

    void typeSpellings_data()
    {
        QTest::addColumn<QStringList>("type");
        QTest::newRow("--type=2") << QStringList{"--type=2"};
        QTest::newRow("-t 2") << QStringList{"-t", "2"};
        QTest::newRow("-t2") << QStringList{"-t2"};
    }
    void typeSpellings()
    {
        QFETCH(QStringList, type);
        QTemporaryDir out;
        const Result r = Run(type + QStringList{"-e1", "--output=" + out.path(), "--", m_clip});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"clip.3g2"});
    }

    void convertsARangeAndShowsProgress()
    {
        QTemporaryDir out;
        const Result r
            = Run({"--type", "2", "--output", out.path(), "--begin", "1", "--end", "4", m_clip});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("clip.mp4 -> " + out.path() + "/clip.3g2: Finished"),
                 qPrintable(r.out));
        QVERIFY(r.err.contains("Exporting"));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"clip.3g2"});
        const double duration
            = TestMedia::ProbeValues(out.filePath("clip.3g2"), "format=duration", "duration")
                  .value(0)
                  .toDouble();
        QVERIFY(qAbs(duration - 3) <= 0.5);
    }

    void aJobWithoutItsFileMakesTheRunFail()
    {
        QTemporaryDir out;
        // A folder where the result should go: no tool can write the file.
        QVERIFY(QDir(out.path()).mkdir("clip.3gp"));
        const Result r = Run({"--output", out.path(), m_clip, m_clip});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.count(": Failed"), 2);
    }

    void interruptStopsAndCleansUp()
    {
        QTemporaryDir out;
        const QString longClip = m_media.filePath("long.mp4");
        QVERIFY(TestMedia::MakeClip(
            longClip, 120, {"-s", "640x480", "-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac"}));
        QProcess cli;
        PrepareCli(cli, m_home);
        cli.setArguments({"--profile", "4", "--output", out.path(), longClip});
        cli.setReadChannel(QProcess::StandardError);
        cli.start();
        QVERIFY(cli.waitForStarted());
        QByteArray err;
        // Interrupt once the encoder shows progress.
        while (!err.contains("MB") && cli.state() == QProcess::Running) {
            cli.waitForReadyRead(5000);
            err += cli.readAllStandardError();
        }
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY(QString::fromLocal8Bit(cli.readAllStandardOutput()).contains("long.mp4 -> "));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
