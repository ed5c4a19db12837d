// Any encoder output, cut into chunks at any places as the pipe delivers it: the parser and
// the Progress cell that shows its figures.
#include "fuzzcheck.h"

#include "engine/encoderstatus.h"
#include "engine/jobcelltext.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/sharedstate.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    SharedState state;
    ConversionJob job = ConversionJob::ForSource(QStringLiteral("/v/a.mp4"), 10.0);
    job.beginTime = provider.ConsumeFloatingPointInRange(0.0, 100.0);
    job.endTime = provider.ConsumeFloatingPointInRange(0.0, 100.0);
    job.stage = 1;
    state.jobs.append(job);
    JobSlot slot;
    slot.jobStartTick = provider.ConsumeIntegral<quint32>();
    JobProgress progress(state, slot);
    while (provider.remaining_bytes() > 0) {
        // The runner hands over at most 255 bytes at a time.
        const size_t length = provider.ConsumeIntegralInRange<size_t>(1, 255);
        const quint32 now = provider.ConsumeIntegral<quint32>();
        const std::string chunk = provider.ConsumeBytesAsString(length);
        EncoderStatus::Parse(chunk);
        progress.ParseEncoderOutput(chunk, now, std::nullopt);
        const ProgressCell cell = ProgressCellOf(state.jobs.copyOut(0));
        FUZZ_CHECK(cell.progressMax < 0 || (cell.progressPos >= 0 && cell.progressPos <= 100));
    }
    return 0;
}
