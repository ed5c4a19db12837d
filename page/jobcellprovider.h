#pragma once

#include "controls/cellinfoprovider.h"
#include "engine/cellrepainter.h"

#include <QString>

class CCellListCtrl;

struct SharedState;

// The page's answer to the job list's cell requests: colours by row parity and the texts and
// bars of the job at the row, in the output type chosen now. A row outside the job list
// keeps the reset record. The engine's repaints of job cells go to the list through it.
class JobCellProvider : public CellInfoProvider, public CellRepainter
{
public:
    JobCellProvider(const SharedState &state, CCellListCtrl &list);

    void RepaintCells(int firstRow, int lastRow, int column) override;
    void ShowStartedRow(int row) override;

    void GetCellInfo(CellInfo &info) override;

    static constexpr ColorRef ProgressColor = Rgb(154, 30, 28);
    // The running job's Progress text while the batch is paused.
    static inline const QString PausedText = QStringLiteral(" Paused ");

private:
    const SharedState &m_state;
    CCellListCtrl &m_list;
};
