#include "page/joblist.h"

void JobList::resetProgress()
{
    for (ConversionJob &job : m_jobs) {
        job.finished = 0;
        job.failed = 0;
        job.sizeKB = 0;
        job.framesPerSecond = 0.0;
        job.encodedTime = 0.0;
    }
}
