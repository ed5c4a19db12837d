#include "engine/jobsatonce.h"

#include "engine/batchconversion.h"
#include "engine/usersettings.h"

int JobsAtOnceSetting()
{
    const int jobs = UserSettings::JobsAtOnce();
    if (jobs < 1 || jobs > BatchConversion::MaxJobsAtOnce)
        return BatchConversion::DefaultJobsAtOnce();
    return jobs;
}

void SetJobsAtOnceSetting(int jobs)
{
    UserSettings::SetJobsAtOnce(jobs);
}
