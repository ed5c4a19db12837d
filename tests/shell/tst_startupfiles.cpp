#include "page/cmivarteldlg.h"
#include "shell/cmivartelapp.h"
#include "shell/couterdlg.h"
#include "testmedia.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// `mivartel FILE...`: the files given on the command line, relative ones included, are the
// first jobs of the window.
class TestStartUpFiles : public QObject
{
    Q_OBJECT

private slots:
    void filesOnTheCommandLineBecomeJobs()
    {
        QTemporaryDir folder;
        qputenv("XDG_CONFIG_HOME", folder.filePath("config").toLocal8Bit());
        qputenv("XDG_DATA_HOME", folder.filePath("data").toLocal8Bit());
        QVERIFY(TestMedia::MakeClip(folder.filePath("a.mp4"), 2));
        QVERIFY(TestMedia::MakeClip(folder.filePath("b.mkv"), 2));
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(folder.path()));
        CMivartelApp app({"a.mp4", "b.mkv"});
        QVERIFY(QDir::setCurrent(before));
        // A refused file would show a modal notice: close it, so the test fails instead of hanging.
        QTimer::singleShot(5000, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        app.InitInstance();
        const JobList &jobs = app.outerWindow()->page()->state().jobs;
        // They come after the window is up, without holding it.
        QTRY_COMPARE(jobs.count(), 2);
        QCOMPARE(jobs.copyOut(0).sourcePath, folder.filePath("a.mp4"));
        QCOMPARE(jobs.copyOut(1).sourcePath, folder.filePath("b.mkv"));
        QCOMPARE(app.ExitInstance(), 0);
    }
};

QTEST_MAIN(TestStartUpFiles)
#include "tst_startupfiles.moc"
