#include "shell/csplashdlg.h"
#include "shell/csplashthread.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

class TestCSplashThread : public QObject
{
    Q_OBJECT

private slots:
    void showsThePictureCentredBeforeStartReturns();
    void closeHidesTheSplashAndKeepsTheProgram();
    void closeBeforeTheSplashExists();
};

void TestCSplashThread::showsThePictureCentredBeforeStartReturns()
{
    CSplashThread splash;
    QCOMPARE(splash.SplashWindow(), nullptr);
    splash.Start();
    CSplashDlg *window = splash.SplashWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    // Painted before the start-up goes on to build the outer window.
    QVERIFY(window->PaintCount() > 0);

    QVERIFY(window->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(window->windowType(), Qt::SplashScreen);
    QCOMPARE(window->windowTitle(), QString("Mivartel"));
    QVERIFY(window->windowIcon().availableSizes().contains(QSize(32, 32)));

    const QImage picture = QImage(":/res/bitmap_173.png").convertToFormat(QImage::Format_RGB32);
    QCOMPARE(window->size(), QSize(386, 157));
    QCOMPARE(window->grab().toImage().convertToFormat(QImage::Format_RGB32), picture);

    const QRect work = window->screen()->availableGeometry();
    const QPoint offset = window->geometry().center() - work.center();
    QVERIFY2(qAbs(offset.x()) <= 1 && qAbs(offset.y()) <= 1,
             qPrintable(QString("%1,%2").arg(offset.x()).arg(offset.y())));
}

void TestCSplashThread::closeHidesTheSplashAndKeepsTheProgram()
{
    QSignalSpy lastWindow(qGuiApp, &QGuiApplication::lastWindowClosed);
    CSplashThread splash;
    splash.Start();
    QVERIFY(splash.SplashWindow()->isVisible());
    splash.Close();
    QVERIFY(!splash.SplashWindow()->isVisible());
    QTest::qWait(20);
    // Hiding the only window on the screen is not the program's end.
    QCOMPARE(lastWindow.count(), 0);
    QVERIFY(splash.SplashWindow());
    // A second request does no harm either.
    splash.Close();
    QVERIFY(!splash.SplashWindow()->isVisible());
}

void TestCSplashThread::closeBeforeTheSplashExists()
{
    CSplashThread splash;
    splash.Close();
    QCOMPARE(splash.SplashWindow(), nullptr);
    splash.Start();
    // The splash does not stay: it never appears.
    QVERIFY(splash.SplashWindow());
    QTest::qWait(20);
    QVERIFY(!splash.SplashWindow()->isVisible());
    QCOMPARE(splash.SplashWindow()->PaintCount(), 0);
}

QTEST_MAIN(TestCSplashThread)
#include "tst_csplashthread.moc"
