#include "engine/conversionjob.h"

ConversionJob ConversionJob::ForSource(const QString &sourcePath, double duration)
{
    ConversionJob job;
    job.sourcePath = sourcePath;
    job.outputName = OutputNameOf(sourcePath);
    job.endTime = duration;
    job.needsIntermediate = NeedsIntermediateFor(sourcePath);
    return job;
}

QString ConversionJob::OutputNameOf(const QString &sourcePath)
{
    const QString fileName = sourcePath.mid(sourcePath.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    // A leading dot marks a hidden file, not an extension.
    if (dot <= 0)
        return fileName;
    return fileName.left(dot);
}

int ConversionJob::NeedsIntermediateFor(const QString &sourcePath)
{
    const qsizetype dot = sourcePath.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return 0;
    return sourcePath.mid(dot).contains(QLatin1String("rm"), Qt::CaseSensitive) ? 1 : 0;
}
