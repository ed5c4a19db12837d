#pragma once

#include "engine/joblist.h"
#include "engine/outputtypes.h"

#include <QString>
#include <QtGlobal>

class CellRepainter;

// The state that the page, the batch loop and the engine share. One instance lives for the
// whole run (owned by the window or the console front end); tests make their own.
struct SharedState
{
    JobList jobs;
    int converting = 0;
    int currentJobIndex = 0;
    quint8 cancelRequested = 0;
    quint8 paused = 0;        // the running job's children are stopped (BatchConversion::Pause)
    quint32 jobStartTick = 0; // milliseconds, see TickCount()
    QString programDirectory; // ends with "/"
    QString engineDirectory;  // programDirectory + "app": profiles, tools and log.txt
    QString outputDirectory;  // ends with "/"
    int outputType = OutputType::Amr3gp;
    int selectedProfile = -1; // 0-based entry of the profile list; -1 when none
    CellRepainter *repainter = nullptr;

    // Sets programDirectory (with its trailing "/") and engineDirectory from it.
    void SetProgramDirectory(const QString &directory);
    // Asks the job list to repaint the Progress cell of the current job.
    void RepaintProgressCell() const;
    void RepaintJobCells(int firstRow, int lastRow, int column) const;
    // Asks the job list to bring the current job's row into view.
    void ShowCurrentJob() const;
};
