#include "cliprocess.h"
#include "testmedia.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

// mivartel-cli as a user runs it: a real process, real clips, real ffmpeg.
class TestCli : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home;
    QTemporaryDir m_media;
    QTemporaryDir m_bad;
    QString m_clip;
    QString m_other;      // clip.mp4 as well, in another folder
    QString m_first;      // a.mp4
    QString m_third;      // c.mp4
    QString m_indexFirst; // index before the data
    QString m_slow;       // keeps an encoder busy for about 20 s

    struct Result
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    static QString InstalledProfiles()
    {
        return QFileInfo(QStringLiteral(MIVARTEL_CLI)).absolutePath() + "/app/";
    }

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

    // True once an encoder writes into out: it runs, and its file has grown.
    static bool EncoderWrites(const QString &out)
    {
        if (TestMedia::EncoderStates(out).isEmpty())
            return false;
        const QFileInfoList files = QDir(out).entryInfoList(QDir::Files | QDir::Hidden);
        return std::any_of(
            files.begin(), files.end(), [](const QFileInfo &file) { return file.size() > 0; });
    }

    // Starts the console on the clip into out and returns once its encoder writes.
    void StartUntilEncoding(QProcess &cli, const QString &out, const QString &clip)
    {
        PrepareCli(cli, m_home);
        cli.setArguments({"--profile", "4", "--output", out, clip});
        cli.start();
        QVERIFY(cli.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(EncoderWrites(out) || cli.state() != QProcess::Running, 60000);
        QVERIFY(cli.state() == QProcess::Running);
    }

    // The pipes a process holds, as /proc names them ("pipe:[1234]"), from descriptor first on.
    static QSet<QString> Pipes(qint64 pid, int first = 0)
    {
        QSet<QString> pipes;
        const QString folder = QString("/proc/%1/fd").arg(pid);
        for (const QString &fd : QDir(folder).entryList(QDir::AllEntries | QDir::System)) {
            const QString target = QFile::symLinkTarget(folder + "/" + fd);
            if (fd.toInt() >= first && target.contains("pipe:["))
                pipes.insert(target.mid(target.indexOf("pipe:[")));
        }
        return pipes;
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        QVERIFY(TestMedia::MakeClip(m_clip, 6, {"-c:v", "mpeg4", "-c:a", "aac"}));
        m_indexFirst = m_bad.filePath("first.mp4");
        QVERIFY(TestMedia::MakeClip(
            m_indexFirst, 2, {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"}));
        QVERIFY(QDir(m_media.path()).mkdir("other"));
        m_other = m_media.filePath("other/clip.mp4");
        m_first = m_media.filePath("a.mp4");
        m_third = m_media.filePath("c.mp4");
        QVERIFY(TestMedia::MakeClip(m_first, 2, {"-c:v", "mpeg4", "-c:a", "aac"}));
        QVERIFY(QFile::copy(m_clip, m_other) && QFile::copy(m_first, m_third));
        m_slow = m_media.filePath("slow.mp4");
        QString log;
        QVERIFY2(TestMedia::MakeSlowClip(m_slow, 30, &log), qPrintable(log));
    }

    void listShowsTypesAndProfiles()
    {
        const Result r = Run({"--list"});
        QCOMPARE(r.exitCode, 0);
        const QStringList lines = r.out.split('\n');
        QCOMPARE(lines.first(), QString("0  Cell Phone 3GP  files (3GP + AMR)"));
        QVERIFY(lines.contains("1  Cell Phone 3GP  files (3GP + AAC)"));
        QVERIFY(lines.contains("2  Cell Phone 3GP2 files (3GP2 + AAC)"));
        // Each type says which file it comes from: here the installed ones.
        QCOMPARE(lines.at(1), "     " + InstalledProfiles() + "3GP_AMR_Profile.ini");
        QCOMPARE(
            lines.at(2),
            QString("     1  Low quality - 128x96 H.263 level 10, 10 fps, AMR-NB 7.95 kbit/s"));
        QCOMPARE(r.out.count("(default)"), 3);
    }

    // A profile file in the user's data folder takes the place of the installed one of the
    // same name, for the list and for the conversion; the other types keep theirs.
    void userProfileTakesThePlaceOfTheInstalledOne()
    {
        const QString own = m_home.filePath("data/Mivartel/app/");
        QVERIFY(QDir().mkpath(own));
        // The later tests see the installed profiles again, whatever happens here.
        const auto cleanUp
            = qScopeGuard([this] { QDir(m_home.filePath("data")).removeRecursively(); });
        QFile installed(InstalledProfiles() + "3GP_AMR_Profile.ini");
        QFile copy(own + "3GP_AMR_Profile.ini");
        QVERIFY(installed.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly));
        // The help page's example of a new profile, added at the end: it must work as shown.
        QFile help(MIVARTEL_SOURCE_DIR "/help/help.html");
        QVERIFY(help.open(QIODevice::ReadOnly));
        const QByteArray page = help.readAll();
        const qsizetype from = page.indexOf("\n[Tiny]\n") + 1;
        QVERIFY(from > 0);
        const QByteArray shipped = installed.readAll();
        copy.write(shipped + '\n' + page.mid(from, page.indexOf("</pre>", from) - from));
        // Numbered after the shipped profiles.
        const QString tiny = QString::number(shipped.count("\nTitle=") + 1);
        copy.close();

        const Result list = Run({"--list"});
        QCOMPARE(list.exitCode, 0);
        const QStringList lines = list.out.split('\n');
        QCOMPARE(lines.at(1), "     " + own + "3GP_AMR_Profile.ini");
        QVERIFY2(lines.contains("     " + tiny + "  Tiny - 128x96 H.263, 8 fps, AMR"),
                 qPrintable(list.out));
        QVERIFY(lines.contains("     " + InstalledProfiles() + "3GP_AAC_Profile.ini"));
        QVERIFY(lines.contains("     " + InstalledProfiles() + "3GP2_AAC_Profile.ini"));

        QTemporaryDir out;
        const Result r = Run({"--type", "0", "--profile", tiny, "--output", out.path(), m_first});
        QCOMPARE(r.exitCode, 0);
        const QString made = out.filePath("a.3gp");
        QCOMPARE(TestMedia::ProbeValues(made, "stream=width", "width"), QStringList{"128"});
        QCOMPARE(TestMedia::ProbeValues(made, "stream=r_frame_rate", "r_frame_rate").value(0),
                 QString("8/1"));
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
        QTest::newRow("profile out of range")
            << QStringList{"--profile", "99", "CLIP"} << "has no profile 99";
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
        QCOMPARE(r.err, QString("[1/1] clip.mp4: Started\n[1/1] clip.mp4: Finished\n"));
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
        // Folders where the results should go: no tool can write the files.
        QVERIFY(QDir(out.path()).mkdir("clip.3gp"));
        QVERIFY(QDir(out.path()).mkdir("clip (2).3gp"));
        const Result r = Run({"--output", out.path(), m_clip, m_clip});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out.count(": Failed"), 2);
    }

    // The middle of three sources is odd: the others convert, it is named with its reason.
    void badSourceDoesNotStopTheBatch_data()
    {
        QTest::addColumn<QString>("middle");
        QTest::addColumn<QString>("reason"); // empty: it converts as well
        for (const TestMedia::OddSource &odd :
             TestMedia::MakeOddSources(m_bad.path(), m_clip, m_indexFirst))
            QTest::newRow(qPrintable(odd.row)) << odd.path << odd.problem;
    }
    void badSourceDoesNotStopTheBatch()
    {
        QFETCH(QString, middle);
        QFETCH(QString, reason);
        QTemporaryDir out;
        const Result r = Run({"--output", out.path(), m_first, middle, m_third});
        const QString name = QFileInfo(middle).fileName();
        QVERIFY2(r.out.contains("a.mp4 -> " + out.path() + "/a.3gp: Finished"), qPrintable(r.out));
        QVERIFY2(r.out.contains("c.mp4 -> " + out.path() + "/c.3gp: Finished"), qPrintable(r.out));
        QVERIFY(!r.err.contains("usage:"));
        QStringList expected{"a.3gp", "c.3gp"};
        if (reason.isEmpty()) {
            QCOMPARE(r.exitCode, 0);
            QVERIFY2(r.out.contains(QString(name).replace(".mp4", ".3gp") + ": Finished"),
                     qPrintable(r.out));
            expected.append(QString(name).replace(".mp4", ".3gp"));
        } else {
            QCOMPARE(r.exitCode, 1);
            QVERIFY2(r.err.contains("mivartel-cli: " + middle + ": " + reason + "\n"),
                     qPrintable(r.err));
            QVERIFY2(r.out.contains(name + ": Failed (" + reason + ")"), qPrintable(r.out));
        }
        expected.sort();
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    // Two jobs that would write one file get distinct names, and both results are kept.
    void sameOutputNameTwice_data()
    {
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("outputFolder");
        QTest::newRow("same name from two folders") << m_other << "out";
        QTest::newRow("same source twice") << m_clip << "out";
        QTest::newRow("output folder with a newline") << m_other << "two\nlines";
    }
    void sameOutputNameTwice()
    {
        QFETCH(QString, second);
        QFETCH(QString, outputFolder);
        QTemporaryDir base;
        const QString out = base.filePath(outputFolder);
        QVERIFY(QDir().mkpath(out));
        const Result r = Run({"--output", out, "--end", "2", m_clip, second});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.contains("clip.mp4 -> " + out + "/clip.3gp: Finished"), qPrintable(r.out));
        QVERIFY(r.out.contains("clip.mp4 -> " + out + "/clip (2).3gp: Finished"));
        QCOMPARE(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"clip (2).3gp", "clip.3gp"}));
        for (const QString file : {"clip.3gp", "clip (2).3gp"}) {
            const double duration
                = TestMedia::ProbeValues(out + "/" + file, "format=duration", "duration")
                      .value(0)
                      .toDouble();
            QVERIFY2(qAbs(duration - 2) <= 0.5, qPrintable(file));
        }
    }

    // A profile that cannot run stops the console before any source is touched.
    void brokenProfile_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        QTest::newRow("program that does not exist")
            << QByteArray("[Info]\nDefaultProfile=1\n[P]\nTitle=P\nCommand1=no-such-encoder -i "
                          "\"$INPUT_FILE\"\nCommand2=ffmpeg\nCommand3=ffmpeg\n")
            << 1 << "the program \"no-such-encoder\" of command 1 cannot be found in ";
        QByteArray noise(64 * 1024, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << noise << 1 << "the output type 0 has no profiles";
        QTest::newRow("100,000-character line")
            << "[Info]\nDefaultProfile=1\n[P]\nTitle=P\nCommand1=" + QByteArray(100000, 'x')
                   + "\nCommand2=ffmpeg\nCommand3=ffmpeg\n"
            << 1 << "the profile [P] has 1 lines";
        // The selected profile's own section, its commands first, then 10,000 more lines.
        QFile shipped(MIVARTEL_SOURCE_DIR "/app/3GP_AMR_Profile.ini");
        shipped.open(QIODevice::ReadOnly);
        QByteArray longSection = "[Info]\nDefaultProfile=1\n[P]\nTitle=P\n";
        for (const QByteArray &line : shipped.readAll().split('\n')) {
            if (line.startsWith("Command") && longSection.count("Command") < 3)
                longSection += line + "\n";
        }
        for (int i = 0; i < 10000; ++i)
            longSection += "Extra" + QByteArray::number(i) + "=x\n";
        QTest::newRow("section of 10,000 lines") << longSection << 0 << "";
    }
    void brokenProfile()
    {
        QFETCH(QByteArray, profile);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        // A program folder of its own: the console reads the profiles beside itself.
        QTemporaryDir program;
        QVERIFY(QDir().mkpath(program.filePath("app")));
        QVERIFY(QFile::copy(MIVARTEL_CLI, program.filePath("mivartel-cli")));
        // The shipped profiles end with our own finishing tool, found beside them.
        QVERIFY(QFile::copy(MIVARTEL_BUILD_DIR "/app/mivartel-h263level",
                            program.filePath("app/mivartel-h263level")));
        QFile file(program.filePath("app/3GP_AMR_Profile.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(profile);
        file.close();
        QTemporaryDir out;
        QProcess cli;
        PrepareCli(cli, m_home);
        cli.setProgram(program.filePath("mivartel-cli"));
        cli.setArguments({"--output", out.path(), "--end", "1", m_clip, "/nowhere/missing.mp4"});
        cli.start();
        QVERIFY(cli.waitForFinished(120000));
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QCOMPARE(cli.exitCode(), exitCode == 0 ? 1 : exitCode); // the missing source fails
        if (exitCode != 0) {
            QVERIFY2(err.startsWith("mivartel-cli: cannot convert: "), qPrintable(err));
            QVERIFY2(err.contains(message), qPrintable(err));
            QCOMPARE(err.count('\n'), 1);
            QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{});
        } else {
            QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{"clip.3gp"});
        }
    }

    void interruptStopsAndCleansUp()
    {
        QTemporaryDir out;
        const QString longClip = m_media.filePath("long.mp4");
        QVERIFY(TestMedia::MakeClip(
            longClip, 120, {"-s", "640x480", "-c:v", "mpeg4", "-q:v", "2", "-c:a", "aac"}));
        QProcess cli;
        // Interrupt once the encoder shows progress.
        StartUntilEncoding(cli, out.path(), longClip);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 130);
        QVERIFY(QString::fromLocal8Bit(cli.readAllStandardOutput()).contains("long.mp4 -> "));
        // Stopped, with no time left to wait for.
        const QString err = QString::fromLocal8Bit(cli.readAllStandardError());
        QVERIFY2(err.endsWith("\n[1/1] long.mp4: Canceled\n"), qPrintable(err));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{});
    }

    // A console killed outright gets no chance to stop its encoder: the encoder must end too.
    void killedConsoleLeavesNoEncoder()
    {
        QTemporaryDir out;
        QProcess cli;
        StartUntilEncoding(cli, out.path(), m_slow);
        QVERIFY2(!TestMedia::EncoderStates(out.path()).isEmpty(),
                 "no encoder seen while converting");
        ::kill(pid_t(cli.processId()), SIGKILL);
        QVERIFY(cli.waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(TestMedia::EncoderStates(out.path()), QString(), 3000);
    }

    // The console's signal pipe must not leak into the encoders it starts.
    void encoderInheritsNoPipeOfTheConsole()
    {
        QTemporaryDir out;
        QProcess cli;
        StartUntilEncoding(cli, out.path(), m_slow);
        const QList<qint64> encoders = TestMedia::EncoderPids(out.path());
        QCOMPARE(encoders.size(), 1);
        // Less those the test holds too, which came from whoever started it.
        const QSet<QString> console
            = Pipes(cli.processId()) - Pipes(QCoreApplication::applicationPid());
        // Its standard streams are the console's pipes; nothing else may be.
        const QSet<QString> inherited = Pipes(encoders.first(), 3) & console;
        QVERIFY(!console.isEmpty());
        QVERIFY2(inherited.isEmpty(),
                 qPrintable(QStringList(inherited.begin(), inherited.end()).join(' ')));
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(30000));
    }

    // Ctrl-C waits for the encoder to close its file; a second one does not.
    void secondInterruptEndsTheCleanUpAtOnce()
    {
        QTemporaryDir out;
        QProcess cli;
        StartUntilEncoding(cli, out.path(), m_slow);
        const QList<qint64> encoders = TestMedia::EncoderPids(out.path());
        QCOMPARE(encoders.size(), 1);
        // A stopped encoder cannot read its "q": the clean-up waits seconds before it kills it.
        ::kill(pid_t(encoders.first()), SIGSTOP);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY2(!cli.waitForFinished(1000), "the clean-up ended before the second Ctrl-C");
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY2(cli.waitForFinished(1500), "the second Ctrl-C did not end the console");
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 130);
        QTRY_COMPARE_WITH_TIMEOUT(TestMedia::EncoderStates(out.path()), QString(), 3000);
    }

    // Standard error is a pipe here, as under cron: a line per job that starts or ends, the
    // time left where the batch has a figure, and never a carriage return.
    void logWithoutATerminal()
    {
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir("clip.3gp")); // the third job cannot write its file
        const Result r = Run({"--jobs",
                              "1",
                              "--end",
                              "120",
                              "--output",
                              out.path(),
                              m_slow,
                              m_first,
                              m_clip,
                              m_third});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(!r.err.contains('\r'), qPrintable(r.err));
        const QRegularExpression event(
            R"(^(\[\d/4\] \S+: (Started|Finished|Failed))(  \((.+) left\))?$)");
        QStringList events;
        QStringList timesLeft;
        QStringList lines = r.err.split('\n');
        QCOMPARE(lines.takeLast(), QString());
        for (const QString &line : std::as_const(lines)) {
            const QRegularExpressionMatch match = event.match(line);
            if (!match.hasMatch()) {
                QVERIFY2(line.startsWith("mivartel-cli: " + m_clip + ": "), qPrintable(line));
                continue;
            }
            events.append(match.captured(1));
            timesLeft.append(match.captured(4));
        }
        QCOMPARE(events,
                 (QStringList{"[1/4] slow.mp4: Started",
                              "[1/4] slow.mp4: Finished",
                              "[2/4] a.mp4: Started",
                              "[2/4] a.mp4: Finished",
                              "[3/4] clip.mp4: Started",
                              "[3/4] clip.mp4: Failed",
                              "[4/4] c.mp4: Started",
                              "[4/4] c.mp4: Finished"}));
        // Once the batch has ended there is nothing left to tell.
        QCOMPARE(timesLeft.last(), QString());
    }

    // On a terminal of 80 columns: one line that never wraps, rewritten as the two jobs go
    // on, and ended before the summary.
    void progressOnATerminal()
    {
        int master = -1;
        int slave = -1;
        struct winsize size = {};
        size.ws_row = 24;
        size.ws_col = 80;
        QVERIFY(::openpty(&master, &slave, nullptr, nullptr, &size) == 0);
        const auto closeBoth = qScopeGuard([&] {
            ::close(master);
            ::close(slave);
        });
        for (const int fd : {master, slave})
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

        QTemporaryDir out;
        QProcess cli;
        PrepareCli(cli, m_home);
        QProcessEnvironment env = cli.processEnvironment();
        env.insert("COLUMNS", "200"); // the terminal's own width comes first
        cli.setProcessEnvironment(env);
        cli.setArguments({"--jobs", "2", "--output", out.path(), m_clip, m_other});
        cli.setChildProcessModifier([slave] {
            ::dup2(slave, STDOUT_FILENO);
            ::dup2(slave, STDERR_FILENO);
        });
        QByteArray shown;
        const auto read = [&] {
            char buffer[4096];
            ssize_t n = 0;
            while ((n = ::read(master, buffer, sizeof buffer)) > 0)
                shown.append(buffer, n);
        };
        cli.start();
        const QDeadlineTimer deadline(120000);
        while (!cli.waitForFinished(50) && !deadline.hasExpired())
            read();
        read();
        QCOMPARE(cli.exitCode(), 0);

        // The terminal turns each "\n" into "\r\n".
        const QStringList lines = QString::fromUtf8(shown).replace("\r\n", "\n").split('\n');
        QCOMPARE(lines.size(), 4);
        // The summary gives the size of each file written, in the profiles' kilobytes.
        for (const QString name : {"clip", "clip (2)"}) {
            const qint64 bytes = QFileInfo(out.filePath(name + ".3gp")).size();
            QCOMPARE(lines.at(name == "clip" ? 1 : 2),
                     QString("clip.mp4 -> %1/%2.3gp: Finished (%3 KB)")
                         .arg(out.path(), name)
                         .arg(qRound64(bytes / 1000.0)));
        }
        const QStringList updates = lines.first().split('\r', Qt::SkipEmptyParts);
        QVERIFY2(updates.size() > 2, qPrintable(lines.first()));
        bool both = false;
        for (const QString &update : updates) {
            QVERIFY2(update.size() < 80, qPrintable(update));
            both = both || (update.contains("[1/2] clip.mp4") && update.contains("[2/2] clip.mp4"));
        }
        QVERIFY2(both, qPrintable(lines.first()));
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
