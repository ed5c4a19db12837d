#include "engine/conversionpipeline.h"

#include "engine/commandtemplate.h"
#include "engine/encoderrunner.h"
#include "engine/errorlog.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/loudnessfilter.h"
#include "engine/outputfiles.h"
#include "engine/outputtypes.h"
#include "engine/profilecatalog.h"
#include "engine/programlookup.h"
#include "engine/sharedstate.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// Position 1 is the "Title" line; commands follow it.
constexpr int FirstCommandPosition = 2;

int RequiredLines(int outputType)
{
    return outputType == OutputType::Aac3g2 ? 6 : 4;
}

const QString MaxSizeKey = QStringLiteral("MaxSize");

} // namespace

ConversionPipeline::ConversionPipeline(SharedState &state,
                                       JobSlot &slot,
                                       ProfileCatalog &catalog,
                                       EncoderRunner &runner,
                                       JobProgress &progress)
    : m_state(state)
    , m_slot(slot)
    , m_catalog(catalog)
    , m_runner(runner)
    , m_progress(progress)
{}

QString ConversionPipeline::ProfileProblem()
{
    const QString problem = StructureProblem();
    if (!problem.isEmpty())
        return problem;
    // Every job would fail one after another; better to say once which program is missing.
    for (int pass = 1; pass < RequiredLines(m_state.outputType); ++pass) {
        const QStringList command
            = SplitCommandLine(m_catalog.profileValues.at(FirstCommandPosition + pass - 2));
        if (command.isEmpty())
            return QStringLiteral("command %1 of the profile is empty").arg(pass);
        const ProgramLookup program = ProgramLookup::Find(command.first(), m_state.engineDirectory);
        if (!program.problem.isEmpty()) {
            return QStringLiteral("the program \"%1\" of command %2 %3")
                .arg(command.first(), QString::number(pass), program.problem);
        }
    }
    return {};
}

QString ConversionPipeline::StructureProblem()
{
    if (!IsValidOutputType(m_state.outputType))
        return QStringLiteral("no output type is chosen");
    m_catalog.SetFile(ProfilePath(m_state.engineDirectory, m_state.outputType));
    const int sections = m_catalog.ReadSectionNames(m_catalog.sectionNames);
    if (sections == 0)
        return QStringLiteral("the profile file %1 is missing or empty").arg(m_catalog.path());
    if (m_state.selectedProfile < 0 || m_state.selectedProfile + 1 >= sections)
        return QStringLiteral("no profile is selected");
    const QString section = m_catalog.sectionNames.at(m_state.selectedProfile + 1);
    int lines = m_catalog.ReadSection(section, m_catalog.profileKeys, m_catalog.profileValues);
    // The size bound is no command: wherever it stands, the commands keep their positions.
    m_maxSize.clear();
    const qsizetype bound = m_catalog.profileKeys.indexOf(MaxSizeKey);
    if (bound >= 0) {
        m_maxSize = m_catalog.profileValues.at(bound);
        m_catalog.profileKeys.removeAt(bound);
        m_catalog.profileValues.removeAt(bound);
        --lines;
    }
    if (lines < RequiredLines(m_state.outputType)) {
        return QStringLiteral("the profile [%1] has %2 lines; it needs a title and %3 commands")
            .arg(section)
            .arg(lines)
            .arg(RequiredLines(m_state.outputType) - 1);
    }
    return {};
}

QStringList ConversionPipeline::Commands()
{
    if (!StructureProblem().isEmpty())
        return {};
    return m_catalog.profileValues.mid(FirstCommandPosition - 1,
                                       RequiredLines(m_state.outputType) - 1);
}

std::optional<SizeBound> ConversionPipeline::LoadedSizeBound() const
{
    if (m_maxSize.isEmpty())
        return std::nullopt;
    return SizeBound::Parse(m_maxSize,
                            SplitCommandLine(m_catalog.profileValues.at(FirstCommandPosition - 1)));
}

std::optional<SizeBound> ConversionPipeline::SelectedSizeBound()
{
    if (!StructureProblem().isEmpty())
        return std::nullopt;
    return LoadedSizeBound();
}

QString ConversionPipeline::SizeProblem(const QList<int> &rows)
{
    const std::optional<SizeBound> bound = SelectedSizeBound();
    if (!bound)
        return {};
    QStringList names;
    for (const int row : rows) {
        if (!m_state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = m_state.jobs.copyOut(row);
        if (bound->VideoKbps(RangeLength(job.beginTime, job.endTime)) < SizeBound::LowestVideoKbps)
            names.append(QFileInfo(job.sourcePath).fileName());
    }
    if (names.isEmpty())
        return {};
    return QStringLiteral("%1 too long to fit in %2 even at %3 kbit/s of video; the longest "
                          "range that fits is %4")
        .arg(names.join(QStringLiteral(", "))
                 + (names.size() == 1 ? QStringLiteral(" is") : QStringLiteral(" are")),
             SizeBound::SizeText(bound->maxBytes()),
             QString::number(SizeBound::LowestVideoKbps),
             ClockTime(bound->LongestRange()));
}

CommandValues ConversionPipeline::FirstValues(double seconds) const
{
    CommandValues values;
    const QStringList firstCommand
        = SplitCommandLine(m_catalog.profileValues.at(FirstCommandPosition - 1));
    if (m_state.evenLoudness)
        values.audioFilter = LoudnessFilter(firstCommand);
    if (const std::optional<SizeBound> bound = LoadedSizeBound())
        values.videoKbps = std::max(bound->VideoKbps(seconds), SizeBound::LowestVideoKbps);
    return values;
}

QStringList ConversionPipeline::Expand(int position, const CommandValues &values) const
{
    const QString commandTemplate = m_catalog.profileValues.at(position - 1);
    const ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    return ExpandCommand(commandTemplate, job, m_state.outputDirectory, now(), values);
}

void ConversionPipeline::NoteFailure(int pass, const QStringList &command, const QString &failure)
{
    if (failure.isEmpty() || !m_failure.isEmpty())
        return;
    m_failure = QStringLiteral("command %1 (%2) %3").arg(pass).arg(command.value(0), failure);
}

bool ConversionPipeline::ConvertJob()
{
    m_failure.clear();
    // Reads the profile afresh, so an edit between two jobs of a batch is seen. A missing
    // program is not refused here: the runner logs it and the later passes still run.
    const QString problem = StructureProblem();
    if (!problem.isEmpty()) {
        m_failure = problem;
        AppendToLog(m_state.engineDirectory,
                    QStringLiteral("ERROR:   job %1 not converted: %2.\n")
                        .arg(m_slot.jobIndex + 1)
                        .arg(problem));
        return true;
    }
    const ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    const double seconds = RangeLength(job.beginTime, job.endTime);
    CommandValues values = FirstValues(seconds);
    const std::optional<SizeBound> bound = LoadedSizeBound();
    if (!bound)
        return RunPasses(values, false);

    const QString final = FinalFile(m_state.outputDirectory, job.outputName, m_state.outputType);
    for (int attempt = 1;; ++attempt) {
        if (!RunPasses(values, attempt == 1))
            return false;
        const qint64 size = QFileInfo(final).size();
        if (!m_failure.isEmpty() || size <= bound->maxBytes())
            break;
        if (attempt == 2) {
            m_failure = QStringLiteral("%1 came out at %2, %3 over the %4 the profile allows")
                            .arg(final,
                                 SizeBound::SizeText(size),
                                 SizeBound::SizeText(size - bound->maxBytes()),
                                 SizeBound::SizeText(bound->maxBytes()));
            break;
        }
        const int lowered = bound->LoweredKbps(values.videoKbps, size, seconds);
        AppendToLog(m_state.engineDirectory,
                    QStringLiteral("NOTE:    job %1 came out at %2 bytes, over %3; made again at "
                                   "%4 kbit/s instead of %5.\n")
                        .arg(QString::number(m_slot.jobIndex + 1),
                             QString::number(size),
                             QString::number(bound->maxBytes()),
                             QString::number(lowered),
                             QString::number(values.videoKbps)));
        values.videoKbps = lowered;
        // Back to the first pass, which reads the intermediate file again for RealMedia.
        m_progress.SetJobStage(JobStage::FirstPass);
    }
    DeleteFileIfAny(m_state.jobs.copyOut(m_slot.jobIndex).intermediatePath);
    return true;
}

bool ConversionPipeline::RunPasses(const CommandValues &values, bool keepIntermediate)
{
    const bool threeG2 = m_state.outputType == OutputType::Aac3g2;
    const ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    const QString firstTemp = FirstTempFile(m_state.outputDirectory, job.outputName);
    const QString secondTemp = SecondTempFile(m_state.outputDirectory, job.outputName);

    // Pass 1. Expanded before the stage changes: a finished intermediate export set stage 1,
    // which makes the command read the intermediate file.
    QStringList command = Expand(FirstCommandPosition, values);
    m_progress.SetJobStage(JobStage::FirstPass);
    m_runner.RunWithPipes(command);
    const QString intermediate = m_state.jobs.copyOut(m_slot.jobIndex).intermediatePath;
    if (m_slot.cancelRequested) {
        DeleteFileIfAny(intermediate);
        return false;
    }
    if (!keepIntermediate)
        DeleteFileIfAny(intermediate);
    m_runner.EndEncoder();
    m_runner.WaitForEncoderExit();
    NoteFailure(1, command, m_runner.encoderFailure());

    // Passes 2 and 3.
    command = Expand(FirstCommandPosition + 1, values);
    m_progress.SetJobStage(JobStage::SecondPhase);
    m_runner.RunAndWait(command);
    if (m_slot.cancelRequested)
        return false;
    NoteFailure(2, command, m_runner.waitedFailure());
    command = Expand(FirstCommandPosition + 2, values);
    m_runner.RunAndWait(command);
    // A cancel that came after the last pass ended changes nothing: the job is done.
    if (m_runner.waitedCanceled() || (threeG2 && m_slot.cancelRequested))
        return false;
    NoteFailure(3, command, m_runner.waitedFailure());
    DeleteFileIfAny(firstTemp);

    if (!threeG2)
        return true;
    // Passes 4 and 5, 3G2 only.
    command = Expand(FirstCommandPosition + 3, values);
    m_progress.SetJobStage(JobStage::ThirdPhase);
    m_runner.RunAndWait(command);
    if (m_slot.cancelRequested)
        return false;
    NoteFailure(4, command, m_runner.waitedFailure());
    command = Expand(FirstCommandPosition + 4, values);
    m_runner.RunAndWait(command);
    if (m_runner.waitedCanceled())
        return false;
    NoteFailure(5, command, m_runner.waitedFailure());
    DeleteFileIfAny(secondTemp);
    return true;
}
