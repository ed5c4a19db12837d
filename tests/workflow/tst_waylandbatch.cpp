#include "controls/ccelllistctrl.h"
#include "controls/cimagebutton.h"
#include "page/pagesources.h"
#include "pagefixture.h"

#include <QGuiApplication>

// The window natively under Wayland, in the headless Weston of waylandrun.sh: it shows, and a
// short batch started from the page runs to its end. Wayland lets no program place its own
// window; the compositor does.
class TestWaylandBatch : public QObject
{
    Q_OBJECT

    PageFixture m;

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("wayland"))
            QSKIP("not under Wayland: run through waylandrun.sh");
        m.SetUp();
    }

    void convertsAShortBatchFromThePage()
    {
        CMivartelDlg *page = m.Open();
        QVERIFY(page);
        QVERIFY(page->sources().AddSourcePath(m.Clip("wave", 3)));
        page->state().outputDirectory = m.OutputDir();
        QTest::mouseClick(page->startButton(), Qt::LeftButton);
        QCOMPARE(page->jobList()->GetCellInfo(0, 4).text, QStringLiteral(" Finished "));
        QCOMPARE(m.OutputFiles(), QStringList{"wave.3gp"});
        QCOMPARE(m.notices.size(), 1);
        QCOMPARE(m.notices[0].caption, QStringLiteral("Information"));
        // The centring the window asks for does not reach the compositor, and the window is not
        // told where it went: it reports the place it asked for, or none.
        qInfo() << "window asked for" << m.outer->frameGeometry() << "on"
                << m.outer->screen()->availableGeometry();
    }
};

QTEST_MAIN(TestWaylandBatch)
#include "tst_waylandbatch.moc"
