#include "cli/consolefrontend.h"

#include "engine/jobcelltext.h"
#include "engine/jobsatonce.h"
#include "engine/mediaduration.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "engine/sizebound.h"
#include "engine/tickcount.h"
#include "engine/usersettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <unistd.h>

namespace {

const char UsageText[] = "usage: mivartel-cli --list\n"
                         "       mivartel-cli [--type N] [--profile K] [--output DIR] [--jobs N]\n"
                         "                    [--begin SECONDS] [--end SECONDS] [--even-loudness]\n"
                         "                    FILE...\n"
                         "       mivartel-cli --help | --version\n";

const char ExitStatusText[]
    = "\nExit status: 0 when every file was converted, 1 when any was not, 2 for a\n"
      "mistyped command line, 130 when stopped with Ctrl-C.\n";

// The options that take a value, by their long names.
const char *const ValueOptionNames[] = {"type", "profile", "output", "begin", "end", "jobs"};

void DefineOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Converts video and audio files into 3GP and 3G2 files for cell phones, in the order\n"
        "given, through the profiles of the window program. Each FILE becomes NAME.3gp\n"
        "or NAME.3g2 in the output folder."));
    parser.addOptions({
        {{"h", "help"}, QStringLiteral("Show this help and exit.")},
        {"version", QStringLiteral("Show the version and exit.")},
        {{"l", "list"},
         QStringLiteral("List the output types (by number) and each type's profiles (by number, "
                        "the default marked), then exit.")},
        {{"t", "type"},
         QStringLiteral("Output type N from --list (default 0: 3GP with AMR sound)."),
         QStringLiteral("N")},
        {{"p", "profile"},
         QStringLiteral("Profile K of the output type, counted from 1 (default: the type's "
                        "default profile)."),
         QStringLiteral("K")},
        {{"o", "output"},
         QStringLiteral("Write the files into DIR (default: the window's output folder, else the "
                        "current folder)."),
         QStringLiteral("DIR")},
        {{"b", "begin"},
         QStringLiteral("Start each file at this time, in seconds (default 0)."),
         QStringLiteral("SECONDS")},
        {{"e", "end"},
         QStringLiteral("Stop each file at this time, in seconds (default: its end)."),
         QStringLiteral("SECONDS")},
        {{"j", "jobs"},
         QStringLiteral("Convert N files at once, from 1 to %1 (default: the window's setting, "
                        "else %2 on this computer).")
             .arg(BatchConversion::MaxJobsAtOnce)
             .arg(BatchConversion::DefaultJobsAtOnce()),
         QStringLiteral("N")},
        {"even-loudness",
         QStringLiteral("Bring the sound of every file to one loudness, loud enough for a "
                        "phone's speaker (default: the window's setting).")},
    });
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("A video or audio file to convert."),
                                 QStringLiteral("FILE..."));
}

// The parser's own texts drop the dashes and name only the first fault; ours name the
// option as the user typed it.
QString ParseProblem(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString &name = unknown.first();
        return QStringLiteral("unknown option %1%2")
            .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name);
    }
    // A value option as the last word is the one way to miss its value. Each short name is
    // the long name's first letter.
    const QString last = arguments.isEmpty() ? QString() : arguments.last();
    for (const char *name : ValueOptionNames) {
        if (last == QLatin1String("--") + QLatin1String(name)
            || last == QLatin1String("-") + QLatin1Char(name[0])) {
            return QStringLiteral("%1 needs a value").arg(last);
        }
    }
    return parser.errorText();
}

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
    : m_transcode(m_engine.state, m_exporter)
    , m_out(out)
    , m_err(err)
    , m_report(err, STDERR_FILENO)
{
    m_engine.state.SetProgramDirectory(programDirectory);
    m_engine.state.repainter = this;
    m_engine.batch.SetIntermediateExporter(&m_transcode);
}

int ConsoleFrontEnd::Run(const QStringList &arguments)
{
    const std::optional<Options> options = ParseArguments(arguments);
    if (!options)
        return UsageError;
    if (options->help)
        return Help();
    if (options->version)
        return Version();
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
    QCommandLineParser parser;
    DefineOptions(parser);
    // The parser skips the first entry, the program's name.
    if (!parser.parse(QStringList{QStringLiteral("mivartel-cli")} + arguments)) {
        Usage(ParseProblem(parser, arguments));
        return std::nullopt;
    }

    Options options;
    options.help = parser.isSet(QStringLiteral("help"));
    options.version = parser.isSet(QStringLiteral("version"));
    if (options.help || options.version)
        return options;
    options.list = parser.isSet(QStringLiteral("list"));
    options.evenLoudness = parser.isSet(QStringLiteral("even-loudness"));
    options.files = parser.positionalArguments();

    for (const char *name : ValueOptionNames) {
        const QString option = QLatin1String(name);
        if (!parser.isSet(option))
            continue;
        // The last one counts when an option is given twice.
        const QString value = parser.value(option);
        bool ok = true;
        if (option == QLatin1String("type")) {
            options.outputType = value.toInt(&ok);
            ok = ok && IsValidOutputType(options.outputType);
        } else if (option == QLatin1String("profile")) {
            options.profile = value.toInt(&ok);
            ok = ok && *options.profile >= 1;
        } else if (option == QLatin1String("output")) {
            options.outputDirectory = value;
            ok = !value.isEmpty();
        } else if (option == QLatin1String("jobs")) {
            options.jobs = value.toInt(&ok);
            ok = ok && *options.jobs >= 1 && *options.jobs <= BatchConversion::MaxJobsAtOnce;
        } else if (option == QLatin1String("begin")) {
            options.begin = ParseSeconds(value);
            ok = options.begin.has_value();
        } else {
            options.end = ParseSeconds(value);
            ok = options.end.has_value();
        }
        if (!ok) {
            Usage(QStringLiteral("invalid value \"%1\" for --%2").arg(value, option));
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

int ConsoleFrontEnd::Help()
{
    QCommandLineParser parser;
    DefineOptions(parser);
    m_out << parser.helpText() << ExitStatusText;
    m_out.flush();
    return AllConverted;
}

int ConsoleFrontEnd::Version()
{
    m_out << "mivartel-cli " << QCoreApplication::applicationVersion() << "\n";
    m_out.flush();
    return AllConverted;
}

int ConsoleFrontEnd::List()
{
    for (int type = 0; type < int(profileFileTable.size()); ++type) {
        m_out << type << "  " << profileFileTable[size_t(type)].comboText << "\n"
              << "     "
              << QDir::toNativeSeparators(ProfilePath(m_engine.state.engineDirectory, type))
              << "\n";
        const ProfileList list
            = LoadProfileList(m_engine.catalog, m_engine.state.engineDirectory, type)
                  .value_or(ProfileList());
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
        m_sources.append({file, m_engine.state.jobs.count(), {}});
        m_engine.state.jobs.append(job);
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
        output = UserSettings::Destination();
    if (output.isEmpty())
        output = startDirectory;
    const QFileInfo outputInfo(QDir(startDirectory), output);
    if (!outputInfo.isDir() || !outputInfo.isWritable())
        return Usage(QStringLiteral("cannot write to the output folder %1").arg(output));
    m_engine.state.outputDirectory = WithSlash(outputInfo.absoluteFilePath());

    // The profile first: when its programs are missing, no source is worth measuring.
    const ProfileList list
        = LoadProfileList(m_engine.catalog, m_engine.state.engineDirectory, options.outputType)
              .value_or(ProfileList());
    const QStringList &titles = list.titles;
    m_engine.state.outputType = options.outputType;
    m_engine.state.selectedProfile = options.profile ? *options.profile - 1 : list.selected;
    if (titles.isEmpty())
        return CannotConvert(
            QStringLiteral("the output type %1 has no profiles").arg(options.outputType));
    if (m_engine.state.selectedProfile < 0 || m_engine.state.selectedProfile >= titles.size())
        return Usage(QStringLiteral("the output type %1 has no profile %2")
                         .arg(options.outputType)
                         .arg(m_engine.state.selectedProfile + 1));
    const QString problem = m_engine.pipeline.ProfileProblem();
    if (!problem.isEmpty())
        return CannotConvert(problem);
    m_engine.state.evenLoudness = options.evenLoudness || UserSettings::EvenLoudness();

    if (!AddJobs(options))
        return UsageError;
    const QString tooLong
        = m_engine.pipeline.SizeProblem(BatchConversion::FirstRows(m_engine.state.jobs.count()));
    if (!tooLong.isEmpty())
        return CannotConvert(tooLong);

    m_engine.batch.SetJobsAtOnce(options.jobs.value_or(JobsAtOnceSetting()));
    BatchOutcome outcome;
    if (m_engine.state.jobs.count() > 0) {
        m_engine.state.converting = 1;
        outcome = m_engine.batch.RunJobs(m_engine.state.jobs.count());
        m_engine.state.converting = 0;
    }
    PrintSummary();

    if (outcome.canceled)
        return Stopped;
    // Sources that were refused before the batch count as failed too.
    return outcome.finished == m_sources.size() ? AllConverted : SomeFailed;
}

void ConsoleFrontEnd::PrintSummary()
{
    m_report.EndLine();
    // Both streams may go to one terminal: each line is flushed in turn to keep their order.
    for (const Source &source : std::as_const(m_sources)) {
        if (source.job < 0) {
            m_out << QFileInfo(source.file).fileName() << ": Failed (" << source.problem << ")\n";
            m_out.flush();
            continue;
        }
        const ConversionJob job = m_engine.state.jobs.copyOut(source.job);
        QString result = ProgressCellOf(job).text.trimmed();
        if (result.isEmpty())
            result = QStringLiteral("Not converted");
        if (job.finished && job.outputBytes > 0)
            result += QStringLiteral(" (%1)").arg(SizeBound::SizeText(job.outputBytes));
        m_out << CellTextOf(job, JobColumn::Source, m_engine.state.outputType) << " -> "
              << m_engine.state.outputDirectory
              << CellTextOf(job, JobColumn::Output, m_engine.state.outputType) << ": " << result
              << "\n";
        m_out.flush();
        if (job.failed == 1) {
            m_err << "mivartel-cli: " << source.file << ": " << job.failureReason << "\n";
            m_err.flush();
        }
    }
}

void ConsoleFrontEnd::Stop()
{
    if (m_engine.state.converting)
        m_engine.batch.StopConverting();
}

QString ConsoleFrontEnd::TimeLeft()
{
    // After Ctrl-C, or once the last job has ended, nothing is left to wait for.
    const SharedState &state = m_engine.state;
    if (state.cancelRequested || m_ended.size() >= state.jobs.count())
        return {};
    const std::optional<double> left = m_engine.batch.estimate().SecondsLeft(TickCount());
    return left ? QStringLiteral("  (%1 left)").arg(BatchEstimate::Text(*left)) : QString();
}

JobProgressText
ConsoleFrontEnd::TextOf(int row, const ConversionJob &job, const QString &progress) const
{
    const SharedState &state = m_engine.state;
    return {row + 1,
            state.jobs.count(),
            CellTextOf(job, JobColumn::Source, state.outputType),
            progress};
}

void ConsoleFrontEnd::ShowStartedRow(int row)
{
    const SharedState &state = m_engine.state;
    if (state.converting && state.jobs.isValidIndex(row))
        m_report.ShowEvent(TextOf(row, state.jobs.copyOut(row), QStringLiteral("Started")),
                           TimeLeft());
}

void ConsoleFrontEnd::RepaintCells(int firstRow, int lastRow, int column)
{
    const SharedState &state = m_engine.state;
    if (column != JobColumn::Progress || firstRow != lastRow || !state.converting
        || !state.jobs.isValidIndex(firstRow)) {
        return;
    }
    const ConversionJob job = state.jobs.copyOut(firstRow);
    const bool ended = job.finished == 1 || job.failed == 1 || job.stage == JobStage::Canceled;
    if (ended && !m_ended.contains(firstRow)) {
        m_ended.insert(firstRow);
        m_report.ShowEvent(TextOf(firstRow, job, ProgressCellOf(job).text), TimeLeft());
    }
    if (!m_report.onTerminal())
        return;
    // The jobs that run at once share the line.
    QList<int> rows = state.runningJobs;
    if (!rows.contains(firstRow))
        rows.append(firstRow);
    std::sort(rows.begin(), rows.end());
    QList<JobProgressText> running;
    for (const int row : std::as_const(rows)) {
        if (!state.jobs.isValidIndex(row))
            continue;
        const ConversionJob each = state.jobs.copyOut(row);
        running.append(TextOf(row, each, ProgressCellOf(each).text));
    }
    m_report.ShowRunning(running, TimeLeft());
}
