#include "engine/outputreservation.h"

#include "engine/cellrepainter.h"
#include "engine/commandtemplate.h"
#include "engine/outputfiles.h"
#include "engine/sharedstate.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Enough for any real folder; the loop must end even on a folder that holds every name.
constexpr int MostRenames = 10000;

QString Folded(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toCaseFolded();
}

// "clip (3)" -> "clip", so that a renamed job is renamed again from its own name.
QString BaseName(const QString &outputName)
{
    static const QRegularExpression numbered(QStringLiteral("^(.+) \\(\\d+\\)$"));
    const QRegularExpressionMatch match = numbered.match(outputName);
    return match.hasMatch() ? match.captured(1) : outputName;
}

QSet<QString> FolderEntries(const QString &outputDirectory)
{
    QSet<QString> names;
    const QStringList entries
        = QDir(outputDirectory)
              .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : entries)
        names.insert(name.toCaseFolded());
    return names;
}

} // namespace

QStringList JobOutputFiles(const ConversionJob &job,
                           const QString &outputDirectory,
                           int outputType,
                           const QStringList &commandTemplates)
{
    QStringList files{FinalFile(outputDirectory, job.outputName, outputType)};
    files += TempFiles(outputDirectory, job.outputName, outputType);
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &commandTemplate : commandTemplates) {
        const QStringList arguments = SplitCommandLine(commandTemplate);
        const QStringList expanded = ExpandCommand(commandTemplate, job, outputDirectory, now);
        for (qsizetype i = 0; i < arguments.size() && i < expanded.size(); ++i) {
            if (!arguments.at(i).contains(QLatin1String("$OUTPUT_DIR")))
                continue;
            QString path = expanded.at(i);
            if (path.startsWith(QLatin1String("file:")))
                path.remove(0, 5);
            const QString name = path.mid(outputDirectory.size());
            if (path.startsWith(outputDirectory) && !name.isEmpty()
                && !name.contains(QLatin1Char('/')))
                files.append(path);
        }
    }
    files.removeDuplicates();
    return files;
}

QHash<int, QStringList>
ReserveOutputNames(SharedState &state, const QList<int> &rows, const QStringList &commandTemplates)
{
    const QString &dir = state.outputDirectory;
    const QSet<QString> existing = FolderEntries(dir);
    const QSet<int> batch(rows.cbegin(), rows.cend());
    QSet<QString> held;
    const auto hold = [&held](const QStringList &files) {
        for (const QString &file : files)
            held.insert(Folded(file));
    };
    // The jobs outside the batch keep their names for a later batch.
    for (int row = 0; row < state.jobs.count(); ++row) {
        if (!batch.contains(row))
            hold(JobOutputFiles(state.jobs.copyOut(row), dir, state.outputType, commandTemplates));
    }

    QHash<int, QStringList> reserved;
    for (const int row : rows) {
        if (!state.jobs.isValidIndex(row) || reserved.contains(row))
            continue;
        ConversionJob job = state.jobs.copyOut(row);
        const QString original = job.outputName;
        const QString base = BaseName(original);
        QStringList files;
        for (int n = 1; n <= MostRenames; ++n) {
            if (n > 1) {
                job.outputName = base + QStringLiteral(" (%1)").arg(n);
                if (job.outputName == original)
                    continue;
            }
            files = JobOutputFiles(job, dir, state.outputType, commandTemplates);
            const QString final = Folded(FinalFile(dir, job.outputName, state.outputType));
            const bool clash = std::any_of(files.cbegin(), files.cend(), [&](const QString &f) {
                const QString name = Folded(f);
                return held.contains(name) || (existing.contains(name) && name != final);
            });
            if (!clash)
                break;
        }
        hold(files);
        reserved.insert(row, files);
        if (job.outputName != original) {
            state.jobs.replace(row, job);
            state.RepaintJobCells(row, row, JobColumn::Output);
        }
    }
    return reserved;
}
