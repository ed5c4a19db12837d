#include "engine/joblist.h"

int JobList::count() const
{
    const QMutexLocker lock(&m_mutex);
    return int(m_jobs.size());
}

ConversionJob JobList::copyOut(int index) const
{
    const QMutexLocker lock(&m_mutex);
    return m_jobs.at(index);
}

bool JobList::isValidIndex(int index) const
{
    const QMutexLocker lock(&m_mutex);
    return index >= 0 && index < m_jobs.size();
}

void JobList::resetProgress(const QList<int> &rows)
{
    {
        const QMutexLocker lock(&m_mutex);
        for (const int row : rows) {
            if (row < 0 || row >= m_jobs.size())
                continue;
            ConversionJob &job = m_jobs[row];
            job.finished = 0;
            job.failed = 0;
            job.failureReason.clear();
            job.sizeKB = 0;
            job.outputBytes = 0;
            job.framesPerSecond = 0.0;
            job.encodedTime = 0.0;
            job.encoderSpeed = 0.0;
            job.encoderCpuMs = 0.0;
            job.statusTick = 0;
            // A row of an earlier run would show its last stage ("Exporting", "Canceled")
            // until the batch reaches it, and keep showing it, and save it, when the batch is
            // stopped before then. Every row of the batch is not started until it starts.
            job.stage = JobStage::Exporting;
            job.exportPercent = 0.0;
            job.intermediateDone = 0;
        }
    }
    Changed(true);
}

void JobList::replace(int index, const ConversionJob &job)
{
    bool milestone = false;
    {
        const QMutexLocker lock(&m_mutex);
        const ConversionJob &old = m_jobs.at(index);
        milestone = old.stage != job.stage || old.finished != job.finished
                    || old.failed != job.failed || old.intermediatePath != job.intermediatePath;
        m_jobs[index] = job;
    }
    Changed(milestone);
}

void JobList::removeAt(int index)
{
    {
        const QMutexLocker lock(&m_mutex);
        m_jobs.removeAt(index);
    }
    Changed(true);
}

void JobList::removeAll()
{
    {
        const QMutexLocker lock(&m_mutex);
        m_jobs.clear();
        m_jobs.squeeze();
    }
    Changed(true);
}

void JobList::append(ConversionJob job)
{
    {
        const QMutexLocker lock(&m_mutex);
        if (HasOutputName(job.outputName)) {
            const QString base = job.outputName;
            int n = 2;
            while (HasOutputName(base + QStringLiteral(" (%1)").arg(n)))
                ++n;
            job.outputName = base + QStringLiteral(" (%1)").arg(n);
        }
        m_jobs.append(job);
    }
    Changed(true);
}

bool JobList::HasOutputName(const QString &outputName) const
{
    for (const ConversionJob &job : m_jobs) {
        if (job.outputName.compare(outputName, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}
