#include "page/jobannouncer.h"

#include "engine/sharedstate.h"

#include <QAccessible>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>

JobAnnouncer::JobAnnouncer(const SharedState &state, CellRepainter &cells, QWidget &list)
    : m_state(state)
    , m_cells(cells)
    , m_list(list)
{}

void JobAnnouncer::RepaintCells(int firstRow, int lastRow, int column)
{
    m_cells.RepaintCells(firstRow, lastRow, column);
    if (column != JobColumn::Progress)
        return;
    for (int row = std::max(firstRow, 0); row <= lastRow && m_state.jobs.isValidIndex(row); ++row) {
        const ConversionJob job = m_state.jobs.copyOut(row);
        const bool ended = job.finished == 1 || job.failed == 1;
        if (ended == m_announced.value(row))
            continue;
        m_announced.insert(row, ended);
        if (!ended)
            continue;
        const QString name = QFileInfo(job.sourcePath).fileName();
        m_list.setAccessibleDescription(
            job.finished == 1 ? QStringLiteral("%1: finished").arg(name)
                              : QStringLiteral("%1: failed: %2").arg(name, job.failureReason));
        // Readers speak a changed description; Qt does not say so by itself.
        QAccessibleEvent changed(&m_list, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void JobAnnouncer::ShowStartedRow(int row)
{
    m_cells.ShowStartedRow(row);
}
