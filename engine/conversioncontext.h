#pragma once

#include "engine/conversionpipeline.h"
#include "engine/encoderrunner.h"
#include "engine/jobprogress.h"
#include "engine/profilecatalog.h"

struct JobSlot;
struct SharedState;

// The pieces that convert one job, all working on one slot: the batch makes one per running
// job, in the job's own thread, and the front ends keep one for the checks before a batch.
struct ConversionContext
{
    ConversionContext(SharedState &state, JobSlot &slot)
        : progress(state, slot)
        , runner(state, slot, progress)
        , pipeline(state, slot, catalog, runner, progress)
    {}

    ProfileCatalog catalog;
    JobProgress progress;
    EncoderRunner runner;
    ConversionPipeline pipeline;
};
