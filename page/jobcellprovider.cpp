#include "page/jobcellprovider.h"

#include "controls/ccelllistctrl.h"
#include "engine/cellrepainter.h"
#include "engine/commandtemplate.h"
#include "engine/jobcelltext.h"
#include "engine/sharedstate.h"

#include <QDir>

JobCellProvider::JobCellProvider(const SharedState &state, CCellListCtrl &list)
    : m_state(state)
    , m_list(list)
{}

void JobCellProvider::RepaintCells(int firstRow, int lastRow, int column)
{
    m_list.RepaintCells(firstRow, lastRow, column);
}

void JobCellProvider::ShowStartedRow(int row)
{
    m_list.ShowStartedRow(row);
}

QString JobCellProvider::OutputTip(const ConversionJob &job, const QString &name) const
{
    if (job.finished && job.outputBytes > 0)
        return QStringLiteral("%1 (%2)").arg(name, SizeBound::SizeText(job.outputBytes));
    if (m_sizeBound && !job.finished) {
        const double seconds = RangeLength(job.beginTime, job.endTime);
        return QStringLiteral("%1 (about %2)")
            .arg(name, SizeBound::SizeText(m_sizeBound->ExpectedBytes(seconds)));
    }
    return name;
}

void JobCellProvider::GetCellInfo(CellInfo &info)
{
    if (!m_state.jobs.isValidIndex(info.row))
        return;
    const ConversionJob job = m_state.jobs.copyOut(info.row);
    const bool even = info.row % 2 == 0;
    info.textColor = even ? Rgb(10, 5, 20) : Rgb(40, 10, 40);
    info.backColor = even ? Rgb(180, 180, 255) : Rgb(220, 220, 255);
    info.hotTextColor = Rgb(170, 10, 150);
    info.selectedTextColor = even ? Rgb(240, 200, 128) : Rgb(240, 250, 128);
    info.selectedBackColor = Rgb(30, 50, 96);
    info.selectedBackColorNoFocus = even ? Rgb(20, 20, 120) : Rgb(20, 60, 120);

    if (info.column != JobColumn::Progress) {
        info.text = CellTextOf(job, info.column, m_state.outputType);
        if (info.column == JobColumn::Source)
            info.toolTip = QDir::toNativeSeparators(job.sourcePath);
        else if (info.column == JobColumn::Output)
            info.toolTip = OutputTip(job, info.text);
        return;
    }
    const ProgressCell cell = ProgressCellOf(job);
    info.text = cell.text;
    if (m_state.paused && m_state.IsRunning(info.row))
        info.text = PausedText;
    if (cell.progressMax > 0) {
        info.progressMax = cell.progressMax;
        info.progressPos = cell.progressPos;
        info.progressColor = ProgressColor;
    }
}
