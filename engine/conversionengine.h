#pragma once

#include "engine/batchconversion.h"
#include "engine/conversioncontext.h"
#include "engine/jobslot.h"
#include "engine/sharedstate.h"

// What a front end owns to convert its jobs: the shared state, the batch, and one context of
// its own for the checks before a batch and the profile lists (the batch makes a context per
// running job). The window and the console each hold one.
struct ConversionEngine
{
    SharedState state;
    JobSlot slot;
    ConversionContext context{state, slot};
    ProfileCatalog &catalog = context.catalog;
    JobProgress &progress = context.progress;
    EncoderRunner &runner = context.runner;
    ConversionPipeline &pipeline = context.pipeline;
    BatchConversion batch{state};
};
