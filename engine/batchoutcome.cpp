#include "engine/batchoutcome.h"

#include "engine/joblist.h"

BatchOutcome BatchOutcome::Of(const JobList &jobs, int jobCount, bool canceled)
{
    BatchOutcome outcome;
    outcome.canceled = canceled;
    for (int i = 0; i < jobCount && jobs.isValidIndex(i); ++i) {
        const ConversionJob job = jobs.copyOut(i);
        if (job.finished == 1)
            ++outcome.finished;
        else if (job.failed == 1)
            ++outcome.failed;
    }
    if (canceled)
        outcome.stopped = jobCount - outcome.finished - outcome.failed;
    return outcome;
}
