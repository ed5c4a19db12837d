#pragma once

#include "engine/intermediateexporter.h"

#include <QObject>
#include <QString>

class TimelineExporter;
struct SharedState;

// Renders the range of a job that the encoder cannot read (RealMedia) into an AVI or MPEG
// file through the media component's export, and waits for it while events are dispatched.
// The file is named after the job in the program's folder, or in the user's cache folder when
// the program's folder cannot be written. Everything here runs on the thread of the batch
// loop (the window's), which owns the control and receives its events.
class IntermediateTranscode : public QObject, public IntermediateExporter
{
    Q_OBJECT

public:
    // The control is the media component whose export does the work; not owned.
    IntermediateTranscode(SharedState &state, TimelineExporter &control, QObject *parent = nullptr);
    // An export abandoned by a stopped batch is ended and its file removed.
    ~IntermediateTranscode() override;

    // Exports the job's range and returns when the file is complete (the job at stage 1, its
    // intermediatePath set), when the user cancels (the export ended and its file deleted),
    // or at once when the export cannot start. intermediatePath is in the job before the file
    // exists, so that the saved list can name it.
    void ExportIntermediate(int jobIndex) override;
    void StopExport() override;
    void SetPaused(bool paused) override;

    // Handlers of the control's events; they work on the job at currentJobIndex.
    void OnExportProgress(double done, double total);
    void OnExportFinished();

    // A whole number from low to high inclusive, low when high is below it. Reseeds the C
    // library's generator with the time in seconds, so calls within one second agree.
    static int RandomBetween(int low, int high);
    // programDirectory, or the user's cache folder ($XDG_CACHE_HOME/mivartel/, by default
    // ~/.cache/mivartel/) when that cannot be written. Ends with "/".
    QString IntermediateDirectory() const;

private:
    // Whether a running job other than jobIndex reads this intermediate file.
    bool IntermediateInUse(const QString &path, int jobIndex) const;

    SharedState &m_state;
    TimelineExporter &m_control;
    QString m_exportingPath; // the file of the export that was started last
};
