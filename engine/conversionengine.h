#pragma once

#include "engine/batchconversion.h"
#include "engine/conversionpipeline.h"
#include "engine/encoderrunner.h"
#include "engine/jobprogress.h"
#include "engine/profilecatalog.h"
#include "engine/sharedstate.h"

// What a front end owns to convert its jobs: the shared state and the pieces that work on it,
// built in the order they depend on each other. The window and the console each hold one.
struct ConversionEngine
{
    SharedState state;
    ProfileCatalog catalog;
    JobProgress progress{state};
    EncoderRunner runner{state, progress};
    ConversionPipeline pipeline{state, catalog, runner, progress};
    BatchConversion batch{state, pipeline, runner};
};
