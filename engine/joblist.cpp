#include "engine/joblist.h"

void JobList::resetProgress()
{
    for (ConversionJob &job : m_jobs) {
        job.finished = 0;
        job.failed = 0;
        job.failureReason.clear();
        job.sizeKB = 0;
        job.framesPerSecond = 0.0;
        job.encodedTime = 0.0;
        job.encoderSpeed = 0.0;
    }
    Changed(true);
}

void JobList::replace(int index, const ConversionJob &job)
{
    const ConversionJob &old = m_jobs.at(index);
    const bool milestone
        = old.stage != job.stage || old.finished != job.finished || old.failed != job.failed;
    m_jobs[index] = job;
    Changed(milestone);
}

void JobList::removeAt(int index)
{
    m_jobs.removeAt(index);
    Changed(true);
}

void JobList::removeAll()
{
    m_jobs.clear();
    m_jobs.squeeze();
    Changed(true);
}

void JobList::append(ConversionJob job)
{
    if (HasOutputName(job.outputName)) {
        const QString base = job.outputName;
        int n = 2;
        while (HasOutputName(base + QStringLiteral(" (%1)").arg(n)))
            ++n;
        job.outputName = base + QStringLiteral(" (%1)").arg(n);
    }
    m_jobs.append(job);
    Changed(true);
}

bool JobList::HasOutputName(const QString &outputName) const
{
    for (const ConversionJob &job : m_jobs) {
        if (job.outputName == outputName)
            return true;
    }
    return false;
}
