#pragma once

#include "controls/cellinfoprovider.h"
#include "engine/cellrepainter.h"
#include "engine/sizebound.h"

#include <QString>

#include <optional>

class CCellListCtrl;

struct ConversionJob;
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

    // The chosen profile's size bound: the Output tip of a job not yet converted gives the size
    // it is expected to come out at. A finished job's tip gives its file's real size.
    void SetSizeBound(const std::optional<SizeBound> &bound) { m_sizeBound = bound; }

    static constexpr ColorRef ProgressColor = Rgb(154, 30, 28);
    // The running job's Progress text while the batch is paused.
    static inline const QString PausedText = QStringLiteral(" Paused ");

private:
    QString OutputTip(const ConversionJob &job, const QString &name) const;

    const SharedState &m_state;
    CCellListCtrl &m_list;
    std::optional<SizeBound> m_sizeBound;
};
