#include "controls/ccelllistctrl.h"
#include "engine/batchconversion.h"
#include "engine/jobsatonce.h"
#include "engine/outputfiles.h"
#include "engine/usersettings.h"
#include "page/jobmenu.h"
#include "pagefixture.h"

#include <QMenu>

#include <memory>

// The job list's context menu: which items a row allows, and what they do in the real page.
class TestJobMenu : public QObject
{
    Q_OBJECT

private:
    PageFixture m;

    static ConversionJob Job(const QString &name, int finished, int failed, int stage)
    {
        ConversionJob job = ConversionJob::ForSource("/v/" + name + ".mp4", 10);
        job.finished = finished;
        job.failed = failed;
        job.failureReason = failed ? "exited with status 1: Invalid data" : QString();
        job.stage = stage;
        return job;
    }

    static void Trigger(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                action->trigger();
        }
    }

private slots:
    void initTestCase() { m.SetUp(); }

    void itemStates_data()
    {
        QTest::addColumn<ConversionJob>("job");
        QTest::addColumn<bool>("outputThere");
        QTest::addColumn<bool>("converting");
        QTest::addColumn<bool>("running"); // the batch is at this row
        // pause, retry, remove, open folder, play output, show error
        QTest::addColumn<QList<bool>>("enabled");
        using L = QList<bool>;
        QTest::newRow("not started") << Job("a", 0, 0, 0) << false << false << false
                                     << L{false, false, true, true, false, false};
        QTest::newRow("finished") << Job("a", 1, 0, 2) << true << false << false
                                  << L{false, true, true, true, true, false};
        QTest::newRow("cancelled") << Job("a", 0, 0, JobStage::Canceled) << false << false << false
                                   << L{false, true, true, true, false, false};
        QTest::newRow("failed") << Job("a", 0, 1, 1) << false << false << false
                                << L{false, true, true, true, false, true};
        QTest::newRow("finished, during a batch") << Job("a", 1, 0, 2) << true << true << false
                                                  << L{true, false, false, true, true, false};
        QTest::newRow("failed, during a batch") << Job("a", 0, 1, 1) << false << true << false
                                                << L{true, false, false, true, false, true};
        QTest::newRow("running") << Job("a", 0, 0, 1) << false << true << true
                                 << L{true, false, false, true, false, false};
    }
    void itemStates()
    {
        QFETCH(ConversionJob, job);
        QFETCH(bool, outputThere);
        QFETCH(bool, converting);
        QFETCH(bool, running);
        QFETCH(QList<bool>, enabled);
        QTemporaryDir out;
        SharedState state;
        state.outputDirectory = out.path() + "/";
        state.jobs.append(Job("other", 0, 0, 0));
        state.jobs.append(job);
        if (outputThere) {
            QFile file(FinalFile(state.outputDirectory, job.outputName, state.outputType));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        state.converting = converting;
        state.runningJobs = {running ? 1 : 0};
        const JobMenu::Items items = JobMenu::ItemsFor(state, 1);
        QCOMPARE((QList<bool>{items.pause,
                              items.retry,
                              items.remove,
                              items.openFolder,
                              items.playOutput,
                              items.showError}),
                 enabled);
        // A row without a job allows nothing but the batch's pause.
        const JobMenu::Items none = JobMenu::ItemsFor(state, 2);
        QVERIFY(!none.retry && !none.remove && !none.playOutput && !none.showError);
    }

    // A right click on a failed row: every item is there, the inapplicable ones disabled;
    // Jobs at Once and Even Out the Loudness are kept, Show Error tells the reason, and Retry
    // converts that job alone, at once; on a finished row, it replaces the row's own file
    // rather than write a second one.
    void rightClickOnAFailedRow()
    {
        const QStringList clips = m.Clips("menu", 2, 2.0);
        CMivartelDlg *page = m.OpenWith(clips);
        QVERIFY(page);
        QVERIFY(PageFixture::RunBatch(page));
        SharedState &state = page->state();
        ConversionJob failed = state.jobs.copyOut(1);
        failed.finished = 0;
        failed.failed = 1;
        failed.failureReason = "exited with status 1: Invalid data";
        state.jobs.replace(1, failed);
        const QString done = FinalFile(state.outputDirectory, "menu0", state.outputType);
        const QString retried = FinalFile(state.outputDirectory, "menu1", state.outputType);
        const QDateTime doneAt = QFileInfo(done).lastModified();
        const QDateTime retriedAt = QFileInfo(retried).lastModified();
        QVERIFY(doneAt.isValid() && retriedAt.isValid());
        m.notices.clear();

        CCellListCtrl *list = page->jobList();
        const QRect second = list->visualRect(list->model()->index(1, 0));
        QContextMenuEvent event(QContextMenuEvent::Mouse,
                                second.center(),
                                list->viewport()->mapToGlobal(second.center()));
        QApplication::sendEvent(list->viewport(), &event);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        QStringList shown;
        for (QAction *action : menu->actions()) {
            if (!action->isSeparator())
                shown << action->text() + (action->isEnabled() ? "" : " (off)");
        }
        QCOMPARE(shown,
                 (QStringList{"Pause (off)",
                              "Retry",
                              "Remove",
                              "Open Containing Folder",
                              "Play Output (off)",
                              "Show Error",
                              "Jobs at Once",
                              "Even Out the Loudness"}));
        // "Jobs at Once" sets the number for the next batch and keeps it in the settings.
        QMenu *jobs = menu->actions().at(menu->actions().size() - 2)->menu();
        QVERIFY(jobs && !jobs->actions().isEmpty());
        jobs->actions().last()->trigger();
        QCOMPARE(page->batchConversion().jobsAtOnce(), int(jobs->actions().size()));
        QCOMPARE(JobsAtOnceSetting(), int(jobs->actions().size()));
        // So is "Even Out the Loudness"; the Retry below converts with it.
        Trigger(menu, JobMenu::EvenLoudnessText);
        QVERIFY(state.evenLoudness);
        QVERIFY(UserSettings::EvenLoudness());
        Trigger(menu, JobMenu::ShowErrorText);
        menu->close();
        QCOMPARE(m.notices.size(), 1);
        QVERIFY(m.notices[0].text.contains("Invalid data"));

        std::unique_ptr<QMenu> first(page->findChild<JobMenu *>()->MenuFor(0));
        Trigger(first.get(), JobMenu::PlayOutputText);
        QCOMPARE(m.openedUrls, QList<QUrl>{QUrl::fromLocalFile(done)});

        std::unique_ptr<QMenu> bad(page->findChild<JobMenu *>()->MenuFor(1));
        Trigger(bad.get(), JobMenu::RetryText);
        // The batch runs from the event loop, once the menu's signal has returned.
        QTRY_COMPARE_WITH_TIMEOUT(state.jobs.copyOut(1).finished, 1, 20000);
        QVERIFY(QFileInfo(retried).lastModified() > retriedAt);
        QCOMPARE(state.jobs.copyOut(0).finished, 1);
        QCOMPARE(QFileInfo(done).lastModified(), doneAt);

        std::unique_ptr<QMenu> again(page->findChild<JobMenu *>()->MenuFor(0));
        Trigger(again.get(), JobMenu::RetryText);
        QTRY_VERIFY_WITH_TIMEOUT(!state.converting && QFileInfo(done).lastModified() > doneAt,
                                 20000);
        QCOMPARE(state.jobs.copyOut(0).finished, 1);
        QCOMPARE(state.jobs.copyOut(0).outputName, QString("menu0"));
        QVERIFY(
            !QFileInfo::exists(FinalFile(state.outputDirectory, "menu0 (2)", state.outputType)));
    }

    // Where the desktop has no program for a file or a folder, the page says so and names it,
    // rather than leave a line on standard error alone. The desktop's own opener is used.
    void noProgramToOpenIsTold_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("folder");
        QTest::newRow("Play Output") << JobMenu::PlayOutputText << false;
        QTest::newRow("Open Containing Folder") << JobMenu::OpenFolderText << true;
    }
    void noProgramToOpenIsTold()
    {
        QFETCH(QString, item);
        QFETCH(bool, folder);
        m.realDesktop = true;
        CMivartelDlg *page = m.OpenWith({m.Clip("opened", 2.0)});
        m.realDesktop = false;
        QVERIFY(page);
        QVERIFY(PageFixture::RunBatch(page));
        const SharedState &state = page->state();
        const QString path = folder ? state.outputDirectory
                                    : FinalFile(state.outputDirectory, "opened", state.outputType);
        QVERIFY(QFileInfo::exists(path));
        m.notices.clear();

        // No desktop, and no opener on the search path that would stand in for one.
        QTemporaryDir bare;
        const QByteArray path0 = qgetenv("PATH");
        qputenv("PATH", bare.path().toLocal8Bit());
        const QByteArrayList desktopVariables{"XDG_CURRENT_DESKTOP",
                                              "DESKTOP_SESSION",
                                              "KDE_FULL_SESSION",
                                              "GNOME_DESKTOP_SESSION_ID"};
        QList<QByteArray> desktop0;
        for (const QByteArray &name : desktopVariables) {
            desktop0 << qgetenv(name);
            qunsetenv(name);
        }
        std::unique_ptr<QMenu> menu(page->findChild<JobMenu *>()->MenuFor(0));
        Trigger(menu.get(), item);
        qputenv("PATH", path0);
        for (int i = 0; i < desktopVariables.size(); ++i) {
            if (!desktop0[i].isEmpty())
                qputenv(desktopVariables[i], desktop0[i]);
        }

        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Warning"));
        QCOMPARE(m.notices[0].text, JobMenu::NoProgramText(path));
        QVERIFY(m.notices[0].text.contains(QDir::toNativeSeparators(path)));
        QVERIFY(m.notices[0].text.contains(folder ? "folder" : "file"));
    }
};

QTEST_MAIN(TestJobMenu)
#include "tst_jobmenu.moc"
