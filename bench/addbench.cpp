// Starts the window as `mivartel FILE...` does, with 1,000 hard links to one small clip, and
// prints the seconds from the start to the page's first paint and to the last file listed, and
// the longest time the event loop went without turning once it had started (a 10 ms timer's
// longest gap). Usage: addbench [file count]; offscreen unless a display is set.
#include "benchsupport.h"
#include "page/cmivarteldlg.h"
#include "shell/cmivartelapp.h"
#include "shell/couterdlg.h"
#include "testmedia.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// Notes when the page is first painted, whatever window it sits in.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QElapsedTimer &clock)
        : m_clock(clock)
    {}
    double seconds = -1.0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (seconds < 0 && event->type() == QEvent::Paint && qobject_cast<CMivartelDlg *>(watched))
            seconds = double(m_clock.nsecsElapsed()) / 1e9;
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QApplication> app(argc, argv);
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;

    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toLocal8Bit());
    const QString clip = dir.filePath("clip.mp4");
    if (!TestMedia::MakeClip(clip, 2, {"-c:v", "mpeg4", "-c:a", "aac"})) {
        std::fprintf(stderr, "addbench: ffmpeg could not make the clip\n");
        return 1;
    }
    QStringList files;
    for (int i = 0; i < count; ++i) {
        files << dir.filePath(QStringLiteral("clip%1.mp4").arg(i, 4, 10, QLatin1Char('0')));
        if (::link(QFile::encodeName(clip).constData(), QFile::encodeName(files.last()).constData())
            != 0) {
            std::fprintf(stderr, "addbench: cannot link %s\n", qPrintable(files.last()));
            return 1;
        }
    }

    QElapsedTimer clock;
    FirstPaint firstPaint(clock);
    app.installEventFilter(&firstPaint);
    qint64 firstTurnNs = -1;
    qint64 lastTurnNs = -1;
    qint64 longestGapNs = 0;
    double listedSeconds = -1.0;
    QTimer turns;
    clock.start();
    CMivartelApp mivartel(files);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (firstTurnNs < 0)
            firstTurnNs = now;
        else
            longestGapNs = std::max(longestGapNs, now - lastTurnNs);
        lastTurnNs = now;
        COuterDlg *outer = mivartel.outerWindow();
        if (outer && outer->page()->state().jobs.count() == count && firstPaint.seconds >= 0) {
            listedSeconds = double(now) / 1e9;
            app.quit();
        }
    });
    turns.start(10);
    // Gives up rather than waiting for ever when something is refused.
    QTimer::singleShot(120000, &app, &QApplication::quit);
    mivartel.InitInstance();
    app.exec();
    app.removeEventFilter(&firstPaint);
    const int listed = mivartel.outerWindow()->page()->state().jobs.count();
    mivartel.ExitInstance();

    std::printf("%d files: first paint of the page %.3f s after start, %d listed after %.3f s\n",
                count,
                firstPaint.seconds,
                listed,
                listedSeconds);
    std::printf("event loop first turned after %.3f s; longest gap between turns after that: %.0f "
                "ms (timer period 10 ms)\n",
                double(firstTurnNs) / 1e9,
                double(longestGapNs) / 1e6);
    return listed == count ? 0 : 1;
}
