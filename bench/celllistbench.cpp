// How much one paint of the job list costs with 100,000 rows: the cell requests of a full
// paint of the visible area, of a repaint of one Progress cell, and the time of a full paint.
// Run: build/celllistbench [picture.png] (offscreen unless a display is set); with a file name
// it also saves what the list shows.

#include "benchsupport.h"
#include "controls/ccelllistctrl.h"
#include "controls/cellinfoprovider.h"
#include "engine/cellrepainter.h"
#include "page/joblistcolumns.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <cstdio>

namespace {

constexpr int kRows = 100000;
constexpr int kPaints = 200;

// Answers as the main page does: a name, two times, an output and a running progress bar.
class CountingProvider : public CellInfoProvider
{
public:
    int requests = 0;

    void GetCellInfo(CellInfo &info) override
    {
        ++requests;
        switch (info.column) {
        case JobColumn::Source:
            info.text = QStringLiteral("holiday_clip_%1.avi").arg(info.row);
            break;
        case JobColumn::BeginTime:
            info.text = QStringLiteral("00:00:00");
            break;
        case JobColumn::EndTime:
            info.text = QStringLiteral("00:%1:00").arg(info.row % 60, 2, 10, QLatin1Char('0'));
            break;
        case JobColumn::Output:
            info.text = QStringLiteral("3GP + AMR");
            break;
        default:
            info.text = QStringLiteral("frame= 1234 size= 256kB time=00:00:41");
            info.progressMax = 100;
            info.progressPos = info.row % 101;
            break;
        }
    }
};

int VisibleCells(const CCellListCtrl &list)
{
    const int first = list.rowAt(0);
    int last = list.rowAt(list.viewport()->height() - 1);
    if (last < 0)
        last = list.GetItemCount() - 1;
    return (last - first + 1) * list.GetColumnCount();
}

// Requests made by the paint that follows an invalidation of one Progress cell.
int RequestsForOneCell(CCellListCtrl &list, CountingProvider &provider, int row)
{
    provider.requests = 0;
    list.RepaintCells(row, row, JobColumn::Progress);
    if (!QTest::qWaitFor([&] { return provider.requests > 0; }, 2000))
        return 0;
    QTest::qWait(50); // any further paint would show up here
    return provider.requests;
}

} // namespace

int main(int argc, char *argv[])
{
    BenchApplication<QApplication> app(argc, argv);

    CountingProvider provider;
    CCellListCtrl list(&provider);
    InsertJobListColumns(list);
    list.SetItemCount(kRows);
    list.resize(620, 400);
    list.show();
    if (!QTest::qWaitForWindowExposed(&list)) {
        std::fprintf(stderr, "the list was never shown\n");
        return 1;
    }
    QTest::qWait(100);

    std::printf("rows: %d, cells on screen: %d\n", kRows, VisibleCells(list));
    for (int scrolled : {0, kRows / 2}) {
        list.verticalScrollBar()->setValue(scrolled);
        QTest::qWait(50);
        provider.requests = 0;
        list.viewport()->grab();
        std::printf("first row %d: requests for one full paint: %d (cells on screen %d)\n",
                    list.rowAt(0),
                    provider.requests,
                    VisibleCells(list));
        std::printf("first row %d: requests for a repaint of one Progress cell: %d\n",
                    list.rowAt(0),
                    RequestsForOneCell(list, provider, list.rowAt(0) + 3));
    }

    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kPaints; ++i)
        list.viewport()->grab();
    const double perPaint = double(timer.nsecsElapsed()) / 1e6 / kPaints;
    std::printf("full paint of the visible area: %.3f ms (mean of %d)\n", perPaint, kPaints);

    if (argc > 1) {
        list.SelectRow(list.rowAt(0) + 2);
        list.grab().save(QString::fromLocal8Bit(argv[1]));
    }
    return 0;
}
