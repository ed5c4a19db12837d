#pragma once

// What the engine needs of the job list on screen: repaint the cells of one column for the
// rows firstRow..lastRow, which asks the page for their contents anew; and bring the row of a
// job that has just started into view (a list that is not scrolled need not).
class CellRepainter
{
public:
    virtual ~CellRepainter() = default;
    virtual void RepaintCells(int firstRow, int lastRow, int column) = 0;
    virtual void ShowStartedRow(int /*row*/) {}
};

namespace JobColumn {
enum : int { Source = 0, BeginTime = 1, EndTime = 2, Output = 3, Progress = 4 };
}
