#pragma once

#include <QString>

// One row of the job list: a source, the range of it to convert and the progress of its
// conversion. Times are seconds. Always copied out of the JobList whole and written back whole.
struct ConversionJob
{
    QString sourcePath;
    QString outputName; // base name of the output, no folder, no extension
    double beginTime = 0.0;
    double endTime = 0.0;
    int finished = 0;
    int sizeKB = 0;
    double framesPerSecond = 0.0;
    double encodedTime = 0.0;
    double encoderSpeed = 0.0; // media seconds per wall second, smoothed; 0 while unknown
    // The processor time the encoder had used when it reported encodedTime (milliseconds), and
    // the tick count of that report; 0 while unknown. The time left weighs work with them.
    double encoderCpuMs = 0.0;
    quint32 statusTick = 0;
    int stage = 0; // see JobStage
    int needsIntermediate = 0;
    QString intermediatePath;
    int intermediateDone = 0;
    double exportPercent = 0.0;
    // 1 when the batch ran the job but a command failed or its final file is missing or empty
    // afterwards; failureReason then says why (the same text goes to the log).
    int failed = 0;
    QString failureReason;
    // The size of the file a finished job wrote, in bytes; 0 before.
    qint64 outputBytes = 0;

    // A new job covering [0, duration] of the source.
    static ConversionJob ForSource(const QString &sourcePath, double duration);

    // The file name after the last "/" and before its last ".". A name without a "." is
    // kept whole, so that two such jobs never write the same hidden ".3gp".
    static QString OutputNameOf(const QString &sourcePath);
    // 1 when the text from the path's last "." on contains "rm" (RealMedia: .rm, .rmvb).
    static int NeedsIntermediateFor(const QString &sourcePath);
};

namespace JobStage {
enum : int { Exporting = 0, FirstPass = 1, SecondPhase = 2, ThirdPhase = 3, Canceled = 9 };
}
