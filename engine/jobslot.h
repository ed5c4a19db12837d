#pragma once

#include <QMutex>
#include <QtGlobal>

#include <atomic>

// What one running job has to itself while the batch runs several at once: its row, its cancel
// flag, the tick its encoder started, and the process groups of its children, which the
// window's thread stops and continues (Pause) while the job's own thread starts and reaps them.
//
// Threads: jobIndex is set before the job's thread starts and not changed after. The atomics
// are read and written from any thread. The pause state and the children's groups change
// together under one lock: the job's thread publishes a child (and stops it when paused) in
// the same step in which Resume could otherwise slip between the two.
struct JobSlot
{
    enum class Child { Encoder, Tool };

    int jobIndex = 0;
    std::atomic<quint8> cancelRequested{0};
    std::atomic<quint32> jobStartTick{0}; // milliseconds, see TickCount()

    // Stops (SIGSTOP) or continues (SIGCONT) the running children, from any thread.
    void SetSuspended(bool suspend);
    bool suspended() const;

    // Records the child's process group (its process id: each child leads a session of its
    // own), and stops it at once when the slot is suspended.
    void PublishChild(Child child, qint64 group);
    // Forgets the child's group; a later pause no longer reaches it.
    void ClearChild(Child child);
    // Sends the signal to the child's group, if one is recorded.
    void SignalChild(Child child, int signal) const;
    // The child's process id (it leads its group), or 0 when none is recorded.
    qint64 ChildId(Child child) const;

private:
    mutable QMutex m_lock;
    bool m_suspended = false;
    qint64 m_groups[2] = {0, 0};
};
