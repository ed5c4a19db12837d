#include "engine/jobcelltext.h"

#include "engine/cellrepainter.h"
#include "engine/commandtemplate.h"
#include "engine/outputtypes.h"

int EncodedPercent(const ConversionJob &job)
{
    const double length = job.endTime - job.beginTime;
    if (!(length > 0.0))
        return 0;
    const double percent = job.encodedTime * 100.0 / length + 0.5;
    // Compared before the conversion: an encoder can report any time.
    if (percent >= 99.0)
        return 100;
    return percent > 0.0 ? int(percent) : 0;
}

ProgressCell ProgressCellOf(const ConversionJob &job)
{
    ProgressCell cell;
    if (job.finished == 1) {
        cell.text = QStringLiteral(" Finished ");
        cell.progressMax = 100;
        cell.progressPos = 100;
        return cell;
    }
    if (job.failed == 1) {
        cell.text = QStringLiteral(" Failed ");
        return cell;
    }
    if (job.needsIntermediate == 1 && job.stage == JobStage::Exporting) {
        cell.text = QString::asprintf("Buffering  %.2f%%", job.exportPercent);
        cell.progressMax = 100;
        cell.progressPos = int(job.exportPercent);
        return cell;
    }
    switch (job.stage) {
    case JobStage::FirstPass:
        if (job.encodedTime > 0.0 && job.sizeKB > 0) {
            const int percent = EncodedPercent(job);
            cell.text = ClockTime(job.encodedTime)
                        + QString::asprintf("    %.02fMB    %.02fFrames/s      %%%d ",
                                            double(job.sizeKB) / 1024.0,
                                            job.framesPerSecond,
                                            percent);
            cell.progressMax = 100;
            cell.progressPos = percent;
        }
        break;
    case JobStage::SecondPhase:
        cell.text = QStringLiteral("Exporting");
        break;
    case JobStage::ThirdPhase:
        cell.text = QStringLiteral("Changeing");
        break;
    case JobStage::Canceled:
        cell.text = QStringLiteral("Canceled");
        break;
    default:
        break;
    }
    return cell;
}

QString CellTextOf(const ConversionJob &job, int column, int outputType)
{
    switch (column) {
    case JobColumn::Source:
        return job.sourcePath.mid(job.sourcePath.lastIndexOf(QLatin1Char('/')) + 1);
    case JobColumn::BeginTime:
        return ClockTime(job.beginTime);
    case JobColumn::EndTime:
        // A clip under a second converts whole; "00:00:00" would read as nothing to convert.
        return ClockTime(job.endTime > 0.0 && job.endTime < 1.0 ? 1.0 : job.endTime);
    case JobColumn::Output:
        if (!IsValidOutputType(outputType))
            return {};
        return job.outputName + QLatin1Char('.')
               + QLatin1String(profileFileTable[size_t(outputType)].extension);
    case JobColumn::Progress:
        return ProgressCellOf(job).text;
    default:
        return {};
    }
}
