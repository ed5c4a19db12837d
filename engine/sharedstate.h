#pragma once

#include "engine/joblist.h"
#include "engine/outputtypes.h"

#include <QString>
#include <QtGlobal>

class CellRepainter;

// The state that the page, the batch loop and the engine share. One instance lives for the
// whole run (owned by the window or the console front end); tests make their own. Only jobs
// and the repaint calls may be used from a running job's thread; the rest is the window's.
struct SharedState
{
    JobList jobs;
    int converting = 0;
    int currentJobIndex = 0; // the job the batch started last
    QList<int> runningJobs;  // the jobs of the batch whose conversion runs now
    quint8 cancelRequested = 0;
    quint8 paused = 0;        // the running jobs' children are stopped (BatchConversion::Pause)
    QString programDirectory; // ends with "/"
    QString engineDirectory;  // programDirectory + "app": profiles, tools and log.txt
    QString outputDirectory;  // ends with "/"
    int outputType = OutputType::Amr3gp;
    int selectedProfile = -1;  // 0-based entry of the profile list; -1 when none
    bool evenLoudness = false; // "Even Out the Loudness": $AUDIO_FILTER normalises the sound
    CellRepainter *repainter = nullptr;

    // Sets programDirectory (with its trailing "/") and engineDirectory from it.
    void SetProgramDirectory(const QString &directory);
    // Asks the job list to repaint the Progress cell of a job. From another thread than the
    // application's, the repaint is queued to it.
    void RepaintProgressCell(int row) const;
    void RepaintJobCells(int firstRow, int lastRow, int column) const;
    bool IsRunning(int row) const { return converting && runningJobs.contains(row); }
    // Asks the job list to bring the current job's row into view.
    void ShowCurrentJob() const;
};
