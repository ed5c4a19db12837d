#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <filesystem>

// The program as `cmake --install` lays it out under a prefix of the test's own, started the
// way the desktop and a terminal start it: through the links in bin/, from elsewhere.
class TestInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_prefix;
    QTemporaryDir m_elsewhere; // the working folder and home of every program started

    QString Installed(const QString &path) const { return m_prefix.filePath(path); }

    QProcess *Start(const QString &program, const QStringList &arguments)
    {
        auto *process = new QProcess(this);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_elsewhere.path());
        env.insert("XDG_CONFIG_HOME", m_elsewhere.filePath("config"));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_elsewhere.path());
        process->start(program, arguments);
        return process;
    }

    // Exit code and merged output of a tool that is run to its end.
    std::pair<int, QString> RunTool(const QString &program, const QStringList &arguments)
    {
        QProcess *tool = Start(program, arguments);
        tool->setProcessChannelMode(QProcess::MergedChannels);
        const bool done = tool->waitForFinished(120000);
        const QString output = QString::fromLocal8Bit(tool->readAll());
        const int code = done && tool->exitStatus() == QProcess::NormalExit ? tool->exitCode() : -1;
        delete tool;
        return {code, output};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid() && m_elsewhere.isValid());
        const auto [code, output] = RunTool(
            CMAKE_COMMAND, {"--install", MIVARTEL_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY2(code == 0, qPrintable(output));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("target"); // where a link leads, else empty
        QTest::newRow("cli link") << "bin/mivartel-cli"
                                  << "lib/mivartel/mivartel-cli";
        QTest::newRow("AMR profiles") << "lib/mivartel/app/3GP_AMR_Profile.ini"
                                      << "";
        QTest::newRow("AAC profiles") << "lib/mivartel/app/3GP_AAC_Profile.ini"
                                      << "";
        QTest::newRow("3G2 profiles") << "lib/mivartel/app/3GP2_AAC_Profile.ini"
                                      << "";
        QTest::newRow("help") << "lib/mivartel/help/help.html"
                              << "";
        QTest::newRow("skin") << "lib/mivartel/Virurez.skf"
                              << "";
        if (MIVARTEL_HAS_WINDOW)
            QTest::newRow("window link") << "bin/mivartel"
                                         << "lib/mivartel/mivartel";
    }
    void layout()
    {
        QFETCH(QString, path);
        QFETCH(QString, target);
        const QFileInfo info(Installed(path));
        QVERIFY2(info.exists() && info.size() > 0, qPrintable(path));
        if (!target.isEmpty()) {
            // Relative, so that the tree can be moved and packaged.
            QVERIFY(std::filesystem::read_symlink(info.filePath().toStdString()).is_relative());
            QCOMPARE(info.canonicalFilePath(), QFileInfo(Installed(target)).canonicalFilePath());
            QVERIFY(info.isExecutable());
        }
    }

    void desktopFilesValidate_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("launcher") << "desktop-file-validate"
                                  << QStringList{
                                         "share/applications/org.mivartel.Mivartel.desktop"};
        QTest::newRow("metainfo") << "appstreamcli"
                                  << QStringList{
                                         "validate",
                                         "--no-net",
                                         "share/metainfo/org.mivartel.Mivartel.metainfo.xml"};
    }
    void desktopFilesValidate()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        arguments.last() = Installed(arguments.last());
        const auto [code, output] = RunTool(tool, arguments);
        QVERIFY2(code == 0, qPrintable(output));
        // desktop-file-validate passes with warnings; appstreamcli says so when it passes.
        QVERIFY2(tool == "appstreamcli" ? output.contains("Validation was successful")
                                        : output.trimmed().isEmpty(),
                 qPrintable(output));
    }

    // The file manager offers "Open With Mivartel" for every type the Add dialog lists.
    void launcherOpensTheAddDialogsTypes_data()
    {
        QTest::addColumn<QString>("extension");
        for (const char *e :
             {"wav",  "wma", "mp3", "rm",  "rmvb", "avi",  "mpg", "mpeg", "vob", "wmv",
              "flv",  "asf", "mov", "qt",  "mp4",  "m4v",  "m4a", "3gp",  "3g2", "mkv",
              "webm", "ogg", "ogv", "oga", "opus", "flac", "aac", "ts",   "mts", "m2ts"})
            QTest::newRow(e) << QString(e);
    }
    void launcherOpensTheAddDialogsTypes()
    {
        QFETCH(QString, extension);
        QFile file(Installed("share/applications/org.mivartel.Mivartel.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList listed;
        for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
            if (line.startsWith("MimeType="))
                listed = line.mid(9).split(';', Qt::SkipEmptyParts);
        }
        QStringList known; // every name the system may give a file of that extension
        for (const QMimeType &type : QMimeDatabase().mimeTypesForFileName("x." + extension))
            known << type.name() << type.aliases();
        QVERIFY2(!known.isEmpty(), "the system knows no type for it");
        const bool covered = std::any_of(
            known.begin(), known.end(), [&](const QString &name) { return listed.contains(name); });
        QVERIFY2(covered, qPrintable(known.join(' ')));
    }

    void iconsAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128, 256})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }
    void iconsAtEverySize()
    {
        QFETCH(int, size);
        const QString path = Installed(
            QString("share/icons/hicolor/%1x%1/apps/org.mivartel.Mivartel.png").arg(size));
        QCOMPARE(QImageReader(path).size(), QSize(size, size));
    }

    void cliConvertsThroughTheLink()
    {
        const QString clip = m_elsewhere.filePath("clip.mp4");
        QVERIFY(TestMedia::MakeClip(clip, 2, {"-c:v", "mpeg4", "-c:a", "aac"}));
        QVERIFY(QDir(m_elsewhere.path()).mkdir("out"));
        const auto [code, output]
            = RunTool(Installed("bin/mivartel-cli"), {"--output", "out", "clip.mp4"});
        QVERIFY2(code == 0, qPrintable(output));
        const QFileInfo result(m_elsewhere.filePath("out/clip.3gp"));
        QVERIFY(result.isFile() && result.size() > 0);
    }

    // The window warns on standard error when it misses its profiles or its skin. A bare copy
    // of the program shows that the warning is recognised; the installed one must not give it.
    void windowFindsProfilesAndSkin_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::newRow("through the link") << true;
        QTest::newRow("bare copy") << false;
    }
    void windowFindsProfilesAndSkin()
    {
        if (!MIVARTEL_HAS_WINDOW)
            QSKIP("this build has no window program");
        QFETCH(bool, installed);
        QString program = Installed("bin/mivartel");
        QTemporaryDir bare;
        if (!installed) {
            program = bare.filePath("mivartel");
            QVERIFY(QFile::copy(Installed("lib/mivartel/mivartel"), program));
        }
        QProcess *window = Start(program, {});
        QVERIFY(window->waitForStarted());
        QTest::qWait(3000);
        QCOMPARE(window->state(), QProcess::Running);
        ::kill(pid_t(window->processId()), SIGTERM);
        QVERIFY(window->waitForFinished(30000));
        QCOMPARE(window->exitStatus(), QProcess::NormalExit);
        const QString errors = QString::fromLocal8Bit(window->readAllStandardError());
        // Whole words, so that Qt's own "fromIccProfile" notes do not count.
        const QRegularExpression warning("\\bprofiles?\\b|Virurez\\.skf",
                                         QRegularExpression::CaseInsensitiveOption);
        QCOMPARE(errors.contains(warning), !installed);
        delete window;
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
