#include "cliprocess.h"
#include "testmedia.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// RealMedia through mivartel-cli: the range goes through an intermediate file beside the
// program, which nothing leaves behind.
class TestCliRealMedia : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_media;

    // Intermediate files of a source of this base name beside the program.
    static QStringList Intermediates(const QString &baseName)
    {
        return QDir(QFileInfo(QStringLiteral(MIVARTEL_CLI)).absolutePath())
            .entryList({baseName + "_*.avi", baseName + "_*.mpg"}, QDir::Files);
    }

    static bool ExportHasHeadway(const QString &baseName)
    {
        const QDir folder(QFileInfo(QStringLiteral(MIVARTEL_CLI)).absolutePath());
        const QStringList files = Intermediates(baseName);
        return std::any_of(files.begin(), files.end(), [&folder](const QString &file) {
            return QFileInfo(folder.filePath(file)).size() > 0;
        });
    }

    static QString Value(const QString &path, const QString &entries, const QString &key)
    {
        return TestMedia::ProbeValues(path, entries, key).value(0);
    }

private slots:
    void rangeOfRealMediaBecomes3gp()
    {
        const QString source = m_media.filePath("realclip.rm");
        QString log;
        QVERIFY2(TestMedia::MakeClip(source, 10, {"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"}, &log),
                 qPrintable(log));
        QTemporaryDir out;
        QProcess cli;
        PrepareCli(cli, m_home);
        cli.setReadChannel(QProcess::StandardError);
        cli.setArguments({"--output", out.path(), "--begin", "3", "--end", "8", source});
        cli.start();
        QVERIFY(cli.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(err, QString("[1/1] realclip.rm: Started\n[1/1] realclip.rm: Finished\n"));
        const QString result = out.filePath("realclip.3gp");
        QCOMPARE(TestMedia::ProbeValues(result, "stream=codec_name", "codec_name"),
                 (QStringList{"h263", "amr_nb"}));
        const double duration = Value(result, "format=duration", "duration").toDouble();
        QVERIFY2(qAbs(duration - 5.0) < 0.3, qPrintable(QString::number(duration)));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"realclip.3gp"});
        QCOMPARE(Intermediates("realclip"), QStringList{});
    }

    // Ctrl-C stops the export and deletes its file; a console killed outright takes the
    // export's ffmpeg with it.
    void interruptDuringTheExport_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl-C") << int(SIGINT);
        QTest::newRow("killed") << int(SIGKILL);
    }
    void interruptDuringTheExport()
    {
        QFETCH(int, signal);
        const QString source = m_media.filePath("longreal.rm");
        if (!QFile::exists(source))
            QVERIFY(TestMedia::MakeClip(source, 120, {"-c:v", "rv20", "-c:a", "ac3", "-f", "rm"}));
        QTemporaryDir out;
        QProcess cli;
        PrepareCli(cli, m_home);
        cli.setArguments({"--output", out.path(), source});
        cli.start();
        QVERIFY(cli.waitForStarted());
        // Interrupt once the export has made headway.
        QTRY_VERIFY_WITH_TIMEOUT(ExportHasHeadway("longreal") || cli.state() != QProcess::Running,
                                 60000);
        QVERIFY(!Intermediates("longreal").isEmpty());
        ::kill(pid_t(cli.processId()), signal);
        QVERIFY(cli.waitForFinished(30000));
        // Gone at once, not when it next finds its reader gone.
        QTRY_COMPARE_WITH_TIMEOUT(TestMedia::EncoderStates(m_media.path()), QString(), 1000);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
        if (signal == SIGINT) {
            QCOMPARE(cli.exitCode(), 130);
            QCOMPARE(Intermediates("longreal"), QStringList{});
        }
        for (const QString &left : Intermediates("longreal"))
            QFile::remove(QFileInfo(QStringLiteral(MIVARTEL_CLI)).absolutePath() + '/' + left);
    }
};

QTEST_GUILESS_MAIN(TestCliRealMedia)
#include "tst_clirealmedia.moc"
