#include "page/joblistcolumns.h"

#include "controls/ccelllistctrl.h"
#include "engine/cellrepainter.h"

void InsertJobListColumns(CCellListCtrl &list)
{
    list.InsertColumn(JobColumn::Source, QStringLiteral("Source"), Qt::AlignLeft, 110);
    list.InsertColumn(JobColumn::BeginTime, QStringLiteral("Begin Time"), Qt::AlignHCenter, 70);
    list.InsertColumn(JobColumn::EndTime, QStringLiteral("End Time"), Qt::AlignHCenter, 70);
    list.InsertColumn(JobColumn::Output, QStringLiteral("Output"), Qt::AlignLeft, 90);
    list.InsertColumn(JobColumn::Progress, QStringLiteral("Progress"), Qt::AlignLeft, 243);
}
