#include "engine/commandtemplate.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct Variable
{
    QLatin1String name;
    QString value;
};

constexpr QLatin1String AudioFilterVariable("$AUDIO_FILTER");

QString ExpandArgument(const QString &argument, const std::array<Variable, 8> &variables)
{
    QString result;
    result.reserve(argument.size());
    qsizetype i = 0;
    while (i < argument.size()) {
        const Variable *match = nullptr;
        if (argument.at(i) == QLatin1Char('$')) {
            for (const Variable &variable : variables) {
                if (QStringView(argument).mid(i).startsWith(variable.name)) {
                    match = &variable;
                    break;
                }
            }
        }
        if (match) {
            result += match->value;
            i += match->name.size();
        } else {
            result += argument.at(i);
            ++i;
        }
    }
    return result;
}

} // namespace

QString OptionValue(const QStringList &arguments, const QString &option)
{
    const qsizetype at = arguments.lastIndexOf(option);
    return at >= 0 ? arguments.value(at + 1) : QString();
}

// The encoder gets the whole range the time cells show, and an end at a fraction (a source's
// own length) reaches it. The tolerance keeps float noise on a whole-second end from adding a
// second.
double RangeLength(double begin, double end)
{
    if (!(end > begin))
        return 0.0;
    return std::ceil(end - 1e-6) - std::floor(begin);
}

QString ClockTime(double seconds)
{
    // A broken file can report any length; keep the conversion to an integer defined.
    constexpr double Limit = 1e15;
    if (!std::isfinite(seconds))
        seconds = 0.0;
    const long long s = static_cast<long long>(std::trunc(std::clamp(seconds, -Limit, Limit)));
    return QString::asprintf("%02lld:%02lld:%02lld", s / 3600, (s % 3600) / 60, s % 60);
}

QString TimestampText(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QString::asprintf("%d-%02d-%02d %02d:%02d:%02d",
                             d.year(),
                             d.month(),
                             d.day(),
                             t.hour(),
                             t.minute(),
                             t.second());
}

QStringList SplitCommandLine(const QString &commandLine)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool inQuotes = false;
    const qsizetype n = commandLine.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = commandLine.at(i);
        if (c == QLatin1Char('\\')) {
            qsizetype slashes = 0;
            while (i < n && commandLine.at(i) == QLatin1Char('\\')) {
                ++slashes;
                ++i;
            }
            inArgument = true;
            if (i < n && commandLine.at(i) == QLatin1Char('"')) {
                current += QString(slashes / 2, QLatin1Char('\\'));
                if (slashes % 2 == 1)
                    current += QLatin1Char('"');
                else
                    inQuotes = !inQuotes;
            } else {
                current += QString(slashes, QLatin1Char('\\'));
                --i;
            }
        } else if (c == QLatin1Char('"')) {
            inArgument = true;
            // Two quotes inside quotes stand for one literal quote.
            if (inQuotes && i + 1 < n && commandLine.at(i + 1) == QLatin1Char('"')) {
                current += QLatin1Char('"');
                ++i;
            } else {
                inQuotes = !inQuotes;
            }
        } else if ((c == QLatin1Char(' ') || c == QLatin1Char('\t')) && !inQuotes) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}

QStringList ExpandCommand(const QString &commandTemplate,
                          const ConversionJob &job,
                          const QString &outputDirectory,
                          const QDateTime &now,
                          const CommandValues &values)
{
    const bool fromIntermediate = job.needsIntermediate == 1 && job.stage == JobStage::FirstPass;
    // The intermediate file holds only the range, so it is read from its start. On a command
    // line the blank after "00:00:00" only separated words; inside one argument it would make
    // the time invalid, so it is left out here.
    const QString start = fromIntermediate ? QStringLiteral("00:00:00") : ClockTime(job.beginTime);
    const std::array<Variable, 8> variables{{
        {QLatin1String("$INPUT_FILE"), fromIntermediate ? job.intermediatePath : job.sourcePath},
        {QLatin1String("$START"), start},
        {QLatin1String("$LENGTH"), ClockTime(RangeLength(job.beginTime, job.endTime))},
        {QLatin1String("$TIMESTAMP"), TimestampText(now)},
        {QLatin1String("$OUTPUT_DIR"), outputDirectory},
        {QLatin1String("$OUTPUT_FILE"), job.outputName},
        {QLatin1String("$VIDEO_BITRATE"),
         values.videoKbps > 0 ? QString::number(values.videoKbps) : QString()},
        {AudioFilterVariable, values.audioFilter.join(QLatin1Char(' '))},
    }};
    QStringList arguments;
    for (const QString &argument : SplitCommandLine(commandTemplate)) {
        if (argument == AudioFilterVariable) {
            arguments += values.audioFilter;
            continue;
        }
        const QString expanded = ExpandArgument(argument, variables);
        if (expanded.isEmpty() && !argument.isEmpty())
            continue;
        arguments.append(expanded);
    }
    return arguments;
}
