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
    }
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
}

bool JobList::HasOutputName(const QString &outputName) const
{
    for (const ConversionJob &job : m_jobs) {
        if (job.outputName == outputName)
            return true;
    }
    return false;
}
