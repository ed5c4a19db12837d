// Any "-progress" output cut into chunks anywhere reads the same as the whole of it at once.
#include "fuzzcheck.h"

#include "engine/exportprogressparser.h"

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    ExportProgressParser chunked;
    QList<double> reached;
    QByteArray whole;
    while (provider.remaining_bytes() > 0) {
        const size_t length = provider.ConsumeIntegralInRange<size_t>(1, 64);
        const std::string chunk = provider.ConsumeBytesAsString(length);
        whole.append(chunk.data(), qsizetype(chunk.size()));
        reached += chunked.Feed(QByteArray(chunk.data(), qsizetype(chunk.size())));
    }
    ExportProgressParser atOnce;
    FUZZ_CHECK(atOnce.Feed(whole) == reached);
    FUZZ_CHECK(atOnce.ended() == chunked.ended());
    for (double seconds : reached)
        FUZZ_CHECK(seconds >= 0.0);
    return 0;
}
