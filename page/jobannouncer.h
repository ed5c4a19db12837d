#pragma once

#include "engine/cellrepainter.h"

#include <QHash>

class QWidget;
struct SharedState;

// Passes the engine's repaints on to the list's cells and tells screen readers when a job has
// finished or failed: the list's accessible description becomes "<source>: finished" (or
// "failed: <why>"), and readers hear of the change.
class JobAnnouncer : public CellRepainter
{
public:
    // Neither is owned; both outlive the announcer.
    JobAnnouncer(const SharedState &state, CellRepainter &cells, QWidget &list);

    void RepaintCells(int firstRow, int lastRow, int column) override;
    void ShowStartedRow(int row) override;

private:
    const SharedState &m_state;
    CellRepainter &m_cells;
    QWidget &m_list;
    // Per row, whether its end has been announced: a row repaints many times once done.
    QHash<int, bool> m_announced;
};
