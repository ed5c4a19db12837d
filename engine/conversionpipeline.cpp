#include "engine/conversionpipeline.h"

#include "engine/commandtemplate.h"
#include "engine/encoderrunner.h"
#include "engine/errorlog.h"
#include "engine/jobprogress.h"
#include "engine/jobslot.h"
#include "engine/outputfiles.h"
#include "engine/outputtypes.h"
#include "engine/profilecatalog.h"
#include "engine/programlookup.h"
#include "engine/sharedstate.h"

#include <QDir>

namespace {

// Position 1 is the "Title" line; commands follow it.
constexpr int FirstCommandPosition = 2;

int RequiredLines(int outputType)
{
    return outputType == OutputType::Aac3g2 ? 6 : 4;
}

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
    const int lines
        = m_catalog.ReadSection(section, m_catalog.profileKeys, m_catalog.profileValues);
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

QStringList ConversionPipeline::Expand(int position) const
{
    const QString commandTemplate = m_catalog.profileValues.at(position - 1);
    const ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    return ExpandCommand(commandTemplate, job, m_state.outputDirectory, now());
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
    const bool threeG2 = m_state.outputType == OutputType::Aac3g2;
    const ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    const QString firstTemp = FirstTempFile(m_state.outputDirectory, job.outputName);
    const QString secondTemp = SecondTempFile(m_state.outputDirectory, job.outputName);

    // Pass 1. Expanded before the stage changes: a finished intermediate export set stage 1,
    // which makes the command read the intermediate file.
    QStringList command = Expand(FirstCommandPosition);
    m_progress.SetJobStage(JobStage::FirstPass);
    m_runner.RunWithPipes(command);
    const QString intermediate = m_state.jobs.copyOut(m_slot.jobIndex).intermediatePath;
    if (m_slot.cancelRequested) {
        DeleteFileIfAny(intermediate);
        return false;
    }
    DeleteFileIfAny(intermediate);
    m_runner.EndEncoder();
    m_runner.WaitForEncoderExit();
    NoteFailure(1, command, m_runner.encoderFailure());

    // Passes 2 and 3.
    command = Expand(FirstCommandPosition + 1);
    m_progress.SetJobStage(JobStage::SecondPhase);
    m_runner.RunAndWait(command);
    if (m_slot.cancelRequested)
        return false;
    NoteFailure(2, command, m_runner.waitedFailure());
    command = Expand(FirstCommandPosition + 2);
    m_runner.RunAndWait(command);
    // A cancel that came after the last pass ended changes nothing: the job is done.
    if (m_runner.waitedCanceled() || (threeG2 && m_slot.cancelRequested))
        return false;
    NoteFailure(3, command, m_runner.waitedFailure());
    DeleteFileIfAny(firstTemp);

    if (!threeG2)
        return true;
    // Passes 4 and 5, 3G2 only.
    command = Expand(FirstCommandPosition + 3);
    m_progress.SetJobStage(JobStage::ThirdPhase);
    m_runner.RunAndWait(command);
    if (m_slot.cancelRequested)
        return false;
    NoteFailure(4, command, m_runner.waitedFailure());
    command = Expand(FirstCommandPosition + 4);
    m_runner.RunAndWait(command);
    if (m_runner.waitedCanceled())
        return false;
    NoteFailure(5, command, m_runner.waitedFailure());
    DeleteFileIfAny(secondTemp);
    return true;
}
