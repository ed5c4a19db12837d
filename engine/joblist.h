#pragma once

#include "engine/conversionjob.h"

#include <QList>

#include <functional>

// The ordered jobs of the page. Readers take a copy, writers replace the whole record: no
// reference into the array survives a message pump, during which jobs may be added or removed.
class JobList
{
public:
    int count() const { return int(m_jobs.size()); }
    // Stores the job after the last one. Two jobs never write the same file: when another job
    // already has the new job's outputName, " (2)", " (3)", ... is added to it (the first
    // number that is free), before any extension. Files left by earlier runs do not count.
    void append(ConversionJob job);
    // The index must lie in [0, count()).
    ConversionJob copyOut(int index) const { return m_jobs.at(index); }
    void replace(int index, const ConversionJob &job);
    void removeAt(int index);
    void removeAll();
    bool isValidIndex(int index) const { return index >= 0 && index < count(); }

    // Before a batch: clears what a run reports, keeps stage and the intermediate state.
    void resetProgress();

    // Called after every change. A milestone is a change of the jobs themselves or of a job's
    // stage or outcome; the rest is progress (figures, ranges, names).
    using ChangeListener = std::function<void(bool milestone)>;
    void setChangeListener(ChangeListener listener) { m_changed = std::move(listener); }

private:
    bool HasOutputName(const QString &outputName) const;

    void Changed(bool milestone) const
    {
        if (m_changed)
            m_changed(milestone);
    }

    QList<ConversionJob> m_jobs;
    ChangeListener m_changed;
};
