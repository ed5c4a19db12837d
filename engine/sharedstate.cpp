#include "engine/sharedstate.h"

#include "engine/cellrepainter.h"

void SharedState::SetProgramDirectory(const QString &directory)
{
    programDirectory = directory;
    if (!programDirectory.endsWith(QLatin1Char('/')))
        programDirectory += QLatin1Char('/');
    engineDirectory = programDirectory + QLatin1String("app");
}

void SharedState::RepaintProgressCell() const
{
    RepaintJobCells(currentJobIndex, currentJobIndex, JobColumn::Progress);
}

void SharedState::RepaintJobCells(int firstRow, int lastRow, int column) const
{
    if (repainter)
        repainter->RepaintCells(firstRow, lastRow, column);
}

void SharedState::ShowCurrentJob() const
{
    if (repainter)
        repainter->ShowStartedRow(currentJobIndex);
}
