// Any template with any job fields: expansion never splits or joins the template's arguments,
// whatever the file names and times hold; it only drops those a variable leaves empty. The
// program's own audio filter words are the one value that becomes arguments of its own.
#include "fuzzcheck.h"

#include "engine/commandtemplate.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>

namespace {

QString Text(FuzzedDataProvider &provider)
{
    return QString::fromUtf8(provider.ConsumeRandomLengthString(300));
}

// Any bit pattern, infinities and NaN included.
double AnyDouble(FuzzedDataProvider &provider)
{
    const auto bits = provider.ConsumeIntegral<uint64_t>();
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    ConversionJob job;
    job.sourcePath = Text(provider);
    job.outputName = Text(provider);
    job.intermediatePath = Text(provider);
    const QString outputDirectory = Text(provider);
    job.beginTime = AnyDouble(provider);
    job.endTime = AnyDouble(provider);
    job.needsIntermediate = provider.ConsumeIntegralInRange(0, 1);
    job.stage = provider.ConsumeIntegralInRange(0, 3);
    CommandValues values;
    values.videoKbps = provider.ConsumeIntegralInRange(0, 100000);
    if (provider.ConsumeBool())
        values.audioFilter = {QStringLiteral("-af"), Text(provider)};
    const QString commandTemplate = QString::fromUtf8(provider.ConsumeRemainingBytesAsString());

    const QStringList split = SplitCommandLine(commandTemplate);
    const QStringList expanded = ExpandCommand(
        commandTemplate, job, outputDirectory, QDateTime::currentDateTime(), values);
    const qsizetype filters = split.count(QStringLiteral("$AUDIO_FILTER"));
    FUZZ_CHECK(expanded.size() <= split.size() + filters);
    if (!commandTemplate.contains(QLatin1Char('$')))
        FUZZ_CHECK(expanded == split);
    ClockTime(job.beginTime);
    return 0;
}
