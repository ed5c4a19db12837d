#pragma once

#include <QtGlobal>

#include <atomic>

// What one running job has to itself while the batch runs several at once: its row, its cancel
// flag, the tick its encoder started, and the process groups of its children, which the
// window's thread stops and continues (Pause) while the job's own thread runs them.
struct JobSlot
{
    int jobIndex = 0;
    std::atomic<quint8> cancelRequested{0};
    std::atomic<quint32> jobStartTick{0}; // milliseconds, see TickCount()

    // The process groups of the running encoder and finishing tool; 0 when none runs.
    std::atomic<qint64> encoderGroup{0};
    std::atomic<qint64> toolGroup{0};
    std::atomic<bool> suspended{false};

    // Stops (SIGSTOP) or continues (SIGCONT) the running children, from any thread. A child
    // that starts while suspended is stopped by its runner at once.
    void SetSuspended(bool suspend);
};
