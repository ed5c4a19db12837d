#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

    QTemporaryDir m_prefix;
    QTemporaryDir m_elsewhere; // the working folder and home of every program started

    QString Installed(const QString &path) const { return m_prefix.filePath(path); }

    std::unique_ptr<QProcess> Start(const QString &program, const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_elsewhere.path());
        env.insert("XDG_CONFIG_HOME", m_elsewhere.filePath("config"));
        // No session bus: a Mivartel window the user has open must not take over the start.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_elsewhere.filePath("no_bus"));
        process->setProcessEnvironment(env);
        process->setWorkingDirectory(m_elsewhere.path());
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->start(program, arguments);
        return process;
    }

    // Runs a program to its end; the exit code, or -1, and what it printed.
    std::pair<int, QString> Run(const QString &program, const QStringList &arguments)
    {
        const auto process = Start(program, arguments);
        const bool ended
            = process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit;
        return {ended ? process->exitCode() : -1, QString::fromLocal8Bit(process->readAll())};
    }

private slots:
    void initTestCase()
    {
        const auto [code, output]
            = Run(CMAKE_COMMAND, {"--install", MIVARTEL_BUILD_DIR, "--prefix", m_prefix.path()});
        QVERIFY2(code == 0, qPrintable(output));
    }

    void layout_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("linkTarget");
        QTest::newRow("cli") << "bin/mivartel-cli"
                             << "lib/mivartel/mivartel-cli";
        QTest::newRow("window") << "bin/mivartel"
                                << "lib/mivartel/mivartel";
        QTest::newRow("finishing tool") << "lib/mivartel/app/mivartel-h263level"
                                        << "";
        QTest::newRow("help") << "lib/mivartel/help/help.html"
                              << "";
        for (const char *size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"})
            QTest::newRow(size)
                << QString("share/icons/hicolor/%1/apps/org.mivartel.Mivartel.png").arg(size) << "";
    }
    void layout()
    {
        QFETCH(QString, path);
        QFETCH(QString, linkTarget);
        const QFileInfo info(Installed(path));
        QVERIFY(info.size() > 0);
        if (!linkTarget.isEmpty()) {
            // Relative, so that the tree can be moved and packaged.
            QVERIFY(std::filesystem::read_symlink(info.filePath().toStdString()).is_relative());
            QCOMPARE(info.canonicalFilePath(),
                     QFileInfo(Installed(linkTarget)).canonicalFilePath());
        }
    }

    void validators_data()
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
    void validators()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        arguments.last() = Installed(arguments.last());
        const auto [code, output] = Run(tool, arguments);
        QVERIFY2(code == 0, qPrintable(output));
        // desktop-file-validate passes with warnings, which it prints.
        QVERIFY2(!output.contains("warning", Qt::CaseInsensitive), qPrintable(output));
    }

    // The file manager offers "Open With Mivartel" for every type the Add dialog lists.
    void launcherOpensTheAddDialogsTypes()
    {
        QFile file(Installed("share/applications/org.mivartel.Mivartel.desktop"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QString entry = QString::fromUtf8(file.readAll());
        const QStringList listed = QRegularExpression("\nMimeType=(.*)\n")
                                       .match(entry)
                                       .captured(1)
                                       .split(';', Qt::SkipEmptyParts);
        QStringList missing;
        for (const QString &extension :
             QString("wav wma mp3 rm rmvb avi mpg mpeg vob wmv flv asf mov qt mp4 m4v m4a 3gp "
                     "3g2 mkv webm ogg ogv oga opus flac aac ts mts m2ts")
                 .split(' ')) {
            QStringList names; // every name the system may give a file of that extension
            for (const QMimeType &type : QMimeDatabase().mimeTypesForFileName("x." + extension))
                names << type.name() << type.aliases();
            if (!std::any_of(names.begin(), names.end(), [&](const QString &name) {
                    return listed.contains(name);
                }))
                missing << extension;
        }
        QCOMPARE(missing, QStringList());
    }

    void cliConvertsThroughTheLink()
    {
        QVERIFY(TestMedia::MakeClip(m_elsewhere.filePath("clip.mp4"), 2, {"-c:v", "mpeg4"}));
        QVERIFY(QDir(m_elsewhere.path()).mkdir("out"));
        const auto [code, output]
            = Run(Installed("bin/mivartel-cli"), {"--output", "out", "clip.mp4"});
        QVERIFY2(code == 0, qPrintable(output));
        QVERIFY(QFileInfo(m_elsewhere.filePath("out/clip.3gp")).size() > 0);
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
        QFETCH(bool, installed);
        QTemporaryDir bare;
        QString program = Installed("bin/mivartel");
        if (!installed) {
            program = bare.filePath("mivartel");
            QVERIFY(QFile::copy(Installed("lib/mivartel/mivartel"), program));
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        const auto window = Start(program, {});
        QVERIFY(window->waitForStarted());
        QTest::qWait(3000);
        QCOMPARE(window->state(), QProcess::Running);
        ::kill(pid_t(window->processId()), SIGTERM);
        QVERIFY(window->waitForFinished(30000));
        QCOMPARE(window->exitStatus(), QProcess::NormalExit);
        // Whole words, so that Qt's own "fromIccProfile" notes do not count.
        const QRegularExpression warning("\\bprofiles?\\b|Virurez\\.skf",
                                         QRegularExpression::CaseInsensitiveOption);
        QCOMPARE(QString::fromLocal8Bit(window->readAll()).contains(warning), !installed);
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
