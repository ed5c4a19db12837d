#include "cli/consolefrontend.h"

#include "engine/mediaduration.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "page/jobcelltext.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTextStream>

namespace {

const char UsageText[] = "usage: mivartel-cli --list\n"
                         "       mivartel-cli [--type N] [--profile K] [--output DIR]\n"
                         "                    [--begin SECONDS] [--end SECONDS] FILE...\n";

std::optional<double> ParseSeconds(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0.0))
        return std::nullopt;
    return value;
}

QString WithSlash(QString directory)
{
    if (!directory.endsWith(QLatin1Char('/')))
        directory += QLatin1Char('/');
    return directory;
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(const QString &programDirectory,
                                 QTextStream &out,
                                 QTextStream &err)
    : m_progress(m_state)
    , m_runner(m_state, m_progress)
    , m_pipeline(m_state, m_catalog, m_runner, m_progress)
    , m_batch(m_state, m_pipeline, m_runner)
    , m_transcode(m_state, m_exporter)
    , m_out(out)
    , m_err(err)
{
    m_state.SetProgramDirectory(programDirectory);
    m_state.repainter = this;
    m_batch.SetIntermediateExporter(&m_transcode);
}

int ConsoleFrontEnd::Run(const QStringList &arguments)
{
    const std::optional<Options> options = ParseArguments(arguments);
    if (!options)
        return UsageError;
    if (options->list)
        return List();
    return Convert(*options);
}

int ConsoleFrontEnd::Usage(const QString &problem)
{
    m_err << "mivartel-cli: " << problem << "\n" << UsageText;
    m_err.flush();
    return UsageError;
}

std::optional<ConsoleFrontEnd::Options>
ConsoleFrontEnd::ParseArguments(const QStringList &arguments)
{
    Options options;
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (onlyFiles || !argument.startsWith(QLatin1String("--"))) {
            options.files.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyFiles = true;
            continue;
        }
        if (argument == QLatin1String("--list")) {
            options.list = true;
            continue;
        }
        const bool takesValue
            = argument == QLatin1String("--type") || argument == QLatin1String("--profile")
              || argument == QLatin1String("--output") || argument == QLatin1String("--begin")
              || argument == QLatin1String("--end");
        if (!takesValue) {
            Usage(QStringLiteral("unknown option %1").arg(argument));
            return std::nullopt;
        }
        if (i + 1 >= arguments.size()) {
            Usage(QStringLiteral("%1 needs a value").arg(argument));
            return std::nullopt;
        }
        const QString value = arguments.at(++i);
        bool ok = true;
        if (argument == QLatin1String("--type")) {
            options.outputType = value.toInt(&ok);
            ok = ok && IsValidOutputType(options.outputType);
        } else if (argument == QLatin1String("--profile")) {
            options.profile = value.toInt(&ok);
            ok = ok && *options.profile >= 1;
        } else if (argument == QLatin1String("--output")) {
            options.outputDirectory = value;
            ok = !value.isEmpty();
        } else if (argument == QLatin1String("--begin")) {
            options.begin = ParseSeconds(value);
            ok = options.begin.has_value();
        } else {
            options.end = ParseSeconds(value);
            ok = options.end.has_value();
        }
        if (!ok) {
            Usage(QStringLiteral("invalid value \"%1\" for %2").arg(value, argument));
            return std::nullopt;
        }
    }
    if (!options.list && options.files.isEmpty()) {
        Usage(QStringLiteral("no file to convert"));
        return std::nullopt;
    }
    if (options.begin && options.end && *options.end <= *options.begin) {
        Usage(QStringLiteral("--end must lie after --begin"));
        return std::nullopt;
    }
    return options;
}

int ConsoleFrontEnd::List()
{
    for (int type = 0; type < int(profileFileTable.size()); ++type) {
        m_out << type << "  " << profileFileTable[size_t(type)].comboText << "\n";
        const ProfileList list
            = LoadProfileList(m_catalog, m_state.engineDirectory, type).value_or(ProfileList());
        for (int k = 0; k < list.titles.size(); ++k) {
            m_out << "     " << (k + 1) << "  " << list.titles.at(k)
                  << (k == list.selected ? "  (default)" : "") << "\n";
        }
    }
    m_out.flush();
    return AllConverted;
}

bool ConsoleFrontEnd::AddJobs(const Options &options)
{
    m_sources.clear();
    for (const QString &file : options.files) {
        // Absolute, because the batch runs in the engine folder.
        const QString path = QFileInfo(file).absoluteFilePath();
        const MediaDuration duration = ExamineMediaDuration(path);
        if (!duration.seconds) {
            // One odd file in a folder of clips must not hold up the others.
            m_err << "mivartel-cli: " << file << ": " << duration.problem << "\n";
            m_sources.append({file, -1, duration.problem});
            continue;
        }
        ConversionJob job = ConversionJob::ForSource(path, *duration.seconds);
        if (options.begin)
            job.beginTime = qMin(*options.begin, *duration.seconds);
        if (options.end)
            job.endTime = qMin(*options.end, *duration.seconds);
        if (job.endTime <= job.beginTime) {
            Usage(QStringLiteral("the range lies outside %1 (%2 s long)")
                      .arg(file)
                      .arg(*duration.seconds));
            return false;
        }
        m_sources.append({file, m_state.jobs.count(), {}});
        m_state.jobs.append(job);
    }
    m_err.flush();
    return true;
}

int ConsoleFrontEnd::CannotConvert(const QString &problem)
{
    m_err << "mivartel-cli: cannot convert: " << problem << "\n";
    m_err.flush();
    return SomeFailed;
}

int ConsoleFrontEnd::Convert(const Options &options)
{
    const QString startDirectory = QDir::currentPath();
    QString output = options.outputDirectory;
    if (output.isEmpty())
        output = QSettings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"))
                     .value(QStringLiteral("destination"))
                     .toString();
    if (output.isEmpty())
        output = startDirectory;
    const QFileInfo outputInfo(QDir(startDirectory), output);
    if (!outputInfo.isDir() || !outputInfo.isWritable())
        return Usage(QStringLiteral("cannot write to the output folder %1").arg(output));
    m_state.outputDirectory = WithSlash(outputInfo.absoluteFilePath());

    // The profile first: when its programs are missing, no source is worth measuring.
    const ProfileList list = LoadProfileList(m_catalog, m_state.engineDirectory, options.outputType)
                                 .value_or(ProfileList());
    const QStringList &titles = list.titles;
    m_state.outputType = options.outputType;
    m_state.selectedProfile = options.profile ? *options.profile - 1 : list.selected;
    if (titles.isEmpty())
        return CannotConvert(
            QStringLiteral("the output type %1 has no profiles").arg(options.outputType));
    if (m_state.selectedProfile < 0 || m_state.selectedProfile >= titles.size())
        return Usage(QStringLiteral("the output type %1 has no profile %2")
                         .arg(options.outputType)
                         .arg(m_state.selectedProfile + 1));
    const QString problem = m_pipeline.ProfileProblem();
    QDir::setCurrent(startDirectory);
    if (!problem.isEmpty())
        return CannotConvert(problem);

    if (!AddJobs(options))
        return UsageError;

    if (m_state.jobs.count() > 0) {
        m_state.converting = 1;
        m_batch.RunJobs(m_state.jobs.count());
        m_state.converting = 0;
        QDir::setCurrent(startDirectory);
    }
    PrintSummary();

    if (m_state.cancelRequested)
        return Stopped;
    for (const Source &source : std::as_const(m_sources)) {
        if (source.job < 0 || m_state.jobs.copyOut(source.job).finished != 1)
            return SomeFailed;
    }
    return AllConverted;
}

void ConsoleFrontEnd::PrintSummary()
{
    if (!m_lastLine.isEmpty())
        m_err << "\n";
    for (const Source &source : std::as_const(m_sources)) {
        if (source.job < 0) {
            m_out << QFileInfo(source.file).fileName() << ": Failed (" << source.problem << ")\n";
            continue;
        }
        const ConversionJob job = m_state.jobs.copyOut(source.job);
        QString result = ProgressCellOf(job).text.trimmed();
        if (result.isEmpty())
            result = QStringLiteral("Not converted");
        m_out << CellTextOf(job, JobColumn::Source, m_state.outputType) << " -> "
              << m_state.outputDirectory << CellTextOf(job, JobColumn::Output, m_state.outputType)
              << ": " << result << "\n";
        if (job.failed == 1)
            m_err << "mivartel-cli: " << source.file << ": " << job.failureReason << "\n";
    }
    m_out.flush();
    m_err.flush();
}

void ConsoleFrontEnd::Stop()
{
    if (m_state.converting)
        m_batch.StopConverting();
}

void ConsoleFrontEnd::RepaintCells(int firstRow, int lastRow, int column)
{
    if (column != JobColumn::Progress || firstRow != lastRow || !m_state.converting
        || !m_state.jobs.isValidIndex(firstRow)) {
        return;
    }
    const ConversionJob job = m_state.jobs.copyOut(firstRow);
    const QString line = QStringLiteral("[%1/%2] %3: %4")
                             .arg(firstRow + 1)
                             .arg(m_state.jobs.count())
                             .arg(CellTextOf(job, JobColumn::Source, m_state.outputType),
                                  ProgressCellOf(job).text);
    if (line == m_lastLine)
        return;
    // One line per job, rewritten in place as its progress changes.
    if (firstRow != m_lastRow && !m_lastLine.isEmpty()) {
        m_err << "\n";
        m_lastLine.clear();
    }
    const QString padding(qMax<qsizetype>(0, m_lastLine.size() - line.size()), QLatin1Char(' '));
    m_err << "\r" << line << padding;
    m_err.flush();
    m_lastLine = line;
    m_lastRow = firstRow;
}
