#pragma once

#include "engine/conversionjob.h"

#include <QList>

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
    void replace(int index, const ConversionJob &job) { m_jobs[index] = job; }
    void removeAt(int index) { m_jobs.removeAt(index); }
    void removeAll()
    {
        m_jobs.clear();
        m_jobs.squeeze();
    }
    bool isValidIndex(int index) const { return index >= 0 && index < count(); }

    // Before a batch: clears what a run reports, keeps stage and the intermediate state.
    void resetProgress();

private:
    bool HasOutputName(const QString &outputName) const;

    QList<ConversionJob> m_jobs;
};
