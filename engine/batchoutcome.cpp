#include "engine/batchoutcome.h"

#include "engine/joblist.h"

BatchOutcome BatchOutcome::Of(const JobList &jobs, const QList<int> &rows, bool canceled)
{
    BatchOutcome outcome;
    outcome.canceled = canceled;
    int jobCount = 0;
    for (const int row : rows) {
        if (!jobs.isValidIndex(row))
            continue;
        ++jobCount;
        const ConversionJob job = jobs.copyOut(row);
        if (job.finished == 1)
            ++outcome.finished;
        else if (job.failed == 1)
            ++outcome.failed;
    }
    if (canceled)
        outcome.stopped = jobCount - outcome.finished - outcome.failed;
    return outcome;
}
