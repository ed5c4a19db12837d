#pragma once

// Renders a RealMedia job's range into an intermediate file the encoder can read, and waits
// for it (dispatching events) until it has finished or the user cancels. Sets the job's
// intermediatePath, and stage 1 once the file is complete.
class IntermediateExporter
{
public:
    virtual ~IntermediateExporter() = default;
    virtual void ExportIntermediate(int jobIndex) = 0;
    virtual void StopExport() = 0;
    // Stops or continues the running export's child (Pause); an exporter without one ignores it.
    virtual void SetPaused(bool /*paused*/) {}
};
