#include "controls/ccelllistctrl.h"
#include "engine/outputfiles.h"
#include "page/jobmenu.h"
#include "pagefixture.h"

#include <QMenu>

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
                                  << L{false, false, true, true, true, false};
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
        state.currentJobIndex = running ? 1 : 0;
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
    // Show Error tells the reason and Retry makes the job not started.
    void rightClickOnAFailedRow()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        SharedState &state = page->state();
        state.outputDirectory = m.OutputDir();
        state.jobs.append(Job("done", 1, 0, 2));
        state.jobs.append(Job("bad", 0, 1, 1));
        page->jobList()->SetItemCount(state.jobs.count());
        QFile output(FinalFile(state.outputDirectory, "done", state.outputType));
        QVERIFY(output.open(QIODevice::WriteOnly));
        output.close();

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
                              "Show Error"}));
        menu->actions().last()->trigger();
        menu->close();
        QCOMPARE(m.notices.size(), 1);
        QVERIFY(m.notices[0].text.contains("Invalid data"));

        QMenu *done = page->findChild<JobMenu *>()->MenuFor(0);
        for (QAction *action : done->actions()) {
            if (action->text() == JobMenu::PlayOutputText)
                action->trigger();
        }
        QCOMPARE(m.openedUrls, QList<QUrl>{QUrl::fromLocalFile(output.fileName())});
        delete done;

        QMenu *bad = page->findChild<JobMenu *>()->MenuFor(1);
        bad->actions().at(2)->trigger(); // Retry
        delete bad;
        const ConversionJob retried = state.jobs.copyOut(1);
        QCOMPARE(retried.failed + retried.finished + retried.stage, 0);
        QVERIFY(retried.failureReason.isEmpty());
    }
};

QTEST_MAIN(TestJobMenu)
#include "tst_jobmenu.moc"
