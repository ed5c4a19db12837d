#include "engine/sharedstate.h"

#include "engine/cellrepainter.h"

#include <QCoreApplication>
#include <QThread>

void SharedState::SetProgramDirectory(const QString &directory)
{
    programDirectory = directory;
    if (!programDirectory.endsWith(QLatin1Char('/')))
        programDirectory += QLatin1Char('/');
    engineDirectory = programDirectory + QLatin1String("app");
}

void SharedState::RepaintProgressCell(int row) const
{
    RepaintJobCells(row, row, JobColumn::Progress);
}

void SharedState::RepaintJobCells(int firstRow, int lastRow, int column) const
{
    if (!repainter)
        return;
    QCoreApplication *application = QCoreApplication::instance();
    if (application && QThread::currentThread() != application->thread()) {
        // The list's cells belong to the window's thread; a job's thread only asks.
        QMetaObject::invokeMethod(
            application,
            [this, firstRow, lastRow, column] {
                if (repainter)
                    repainter->RepaintCells(firstRow, lastRow, column);
            },
            Qt::QueuedConnection);
        return;
    }
    repainter->RepaintCells(firstRow, lastRow, column);
}

void SharedState::ShowCurrentJob() const
{
    if (repainter)
        repainter->ShowStartedRow(currentJobIndex);
}
