#include "cliprocess.h"
#include "testmedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The command line as other tools have it: help, version, "=" and short options.
class TestCliOptions : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_media;

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
        cli.waitForFinished(60000);
        return {cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1,
                QString::fromLocal8Bit(cli.readAllStandardOutput()),
                QString::fromLocal8Bit(cli.readAllStandardError())};
    }

private slots:
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
        const QString clip = m_media.filePath("short.mp4");
        if (!QFile::exists(clip))
            QVERIFY(TestMedia::MakeClip(clip, 1, {"-c:v", "mpeg4", "-c:a", "aac"}));
        const Result r = Run(type + QStringList{"--output=" + out.path(), "--", clip});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"short.3g2"});
    }

    void mistyped_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown short") << QStringList{"-x", "a.mp4"} << "unknown option -x";
        QTest::newRow("empty =value") << QStringList{"--type=", "a.mp4"} << "invalid value \"\"";
        QTest::newRow("short type out of range")
            << QStringList{"-t", "7", "a.mp4"} << "invalid value \"7\" for --type";
        QTest::newRow("short value missing") << QStringList{"a.mp4", "-b"} << "-b needs a value";
        QTest::newRow("value on a switch") << QStringList{"--list=yes"} << "--list";
    }
    void mistyped()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result r = Run(arguments);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(r.err.contains("usage:"));
        QCOMPARE(r.out, QString());
    }
};

QTEST_GUILESS_MAIN(TestCliOptions)
#include "tst_clioptions.moc"
