#pragma once

#include "engine/conversionjob.h"

#include <QList>
#include <QMutex>

#include <functional>

// The ordered jobs of the page. Readers take a copy, writers replace the whole record: no
// reference into the array survives a message pump, during which jobs may be added or removed.
// Every call is safe from any thread: the jobs of a batch write their records from threads of
// their own while the window reads them.
class JobList
{
public:
    int count() const;
    // Stores the job after the last one. Two jobs never write the same file: when another job
    // already has the new job's outputName, " (2)", " (3)", ... is added to it (the first
    // number that is free), before any extension; names differing only in letter case are the
    // same name. Files left by earlier runs do not count here (see ReserveOutputNames).
    void append(ConversionJob job);
    // The index must lie in [0, count()).
    ConversionJob copyOut(int index) const;
    void replace(int index, const ConversionJob &job);
    void removeAt(int index);
    void removeAll();
    bool isValidIndex(int index) const;

    // Before a batch of the given rows: makes them not started again, clearing what a run
    // reports and its stage. Range, name and the intermediate file's name stay.
    void resetProgress(const QList<int> &rows);

    // Called after every change, in the thread that made it, with no lock held. A milestone is a
    // change of the jobs themselves or of a job's stage, outcome or intermediate file; the rest
    // is progress (figures, ranges, names). Set from the window thread while no batch runs.
    using ChangeListener = std::function<void(bool milestone)>;
    void setChangeListener(ChangeListener listener) { m_changed = std::move(listener); }
    // Tells the listener of a milestone that no record shows: a job of the batch has started.
    void notifyMilestone() const { Changed(true); }

private:
    bool HasOutputName(const QString &outputName) const;

    void Changed(bool milestone) const
    {
        if (m_changed)
            m_changed(milestone);
    }

    mutable QMutex m_mutex;
    QList<ConversionJob> m_jobs;
    ChangeListener m_changed;
};
