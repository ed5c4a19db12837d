#include "engine/joblistfile.h"

#include "engine/intermediatefiles.h"
#include "engine/outputfiles.h"
#include "engine/outputtypes.h"
#include "engine/sharedstate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

namespace {

const QString Format = QStringLiteral("mivartel-jobs");
constexpr int Version = 1;

// The jobs that a crash would leave half-made: the running ones that have not ended yet.
QList<int> RunningJobs(const SharedState &state)
{
    QList<int> rows;
    if (!state.converting)
        return rows;
    for (const int row : state.runningJobs) {
        if (!state.jobs.isValidIndex(row))
            continue;
        const ConversionJob job = state.jobs.copyOut(row);
        if (!job.finished && !job.failed && job.stage != JobStage::Canceled)
            rows.append(row);
    }
    return rows;
}

// The exports of the batch whose files may still be on disk: made, or being made, and not yet
// read by the first pass, which deletes them.
QStringList Intermediates(const SharedState &state)
{
    QStringList paths;
    if (!state.converting)
        return paths;
    for (int i = 0; i < state.jobs.count(); ++i) {
        const ConversionJob job = state.jobs.copyOut(i);
        if (!job.intermediatePath.isEmpty() && !job.finished && !job.failed
            && (job.stage == JobStage::Exporting || job.stage == JobStage::FirstPass)
            && IsIntermediateFile(job.intermediatePath, state.programDirectory))
            paths.append(job.intermediatePath);
    }
    return paths;
}

// A name that stays in the folder it is appended to.
bool IsPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
           && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

bool IsAbsoluteFolder(const QString &folder)
{
    if (!folder.startsWith(QLatin1Char('/')) || !folder.endsWith(QLatin1Char('/'))
        || folder.contains(QChar(0)))
        return false;
    const QStringList parts = folder.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return !parts.contains(QLatin1String(".")) && !parts.contains(QLatin1String(".."));
}

QJsonObject EncodeJob(const ConversionJob &job)
{
    QJsonObject object{{"source", job.sourcePath},
                       {"output", job.outputName},
                       {"begin", job.beginTime},
                       {"end", job.endTime},
                       {"stage", job.stage}};
    if (job.finished) {
        object.insert("finished", true);
        object.insert("bytes", job.outputBytes);
    }
    if (job.failed) {
        object.insert("failed", true);
        object.insert("reason", job.failureReason);
    }
    return object;
}

std::optional<ConversionJob> DecodeJob(const QJsonValue &value)
{
    const QJsonObject object = value.toObject();
    const QJsonValue source = object.value("source");
    const QJsonValue output = object.value("output");
    const QJsonValue begin = object.value("begin");
    const QJsonValue end = object.value("end");
    // Batches write, and the clean-up deletes, the output folder plus this name.
    if (!source.isString() || source.toString().isEmpty() || !output.isString()
        || !IsPlainFileName(output.toString()) || !begin.isDouble() || !end.isDouble())
        return std::nullopt;
    ConversionJob job;
    job.sourcePath = source.toString();
    job.outputName = output.toString();
    job.beginTime = begin.toDouble();
    job.endTime = end.toDouble();
    job.stage = object.value("stage").toInt();
    job.needsIntermediate = ConversionJob::NeedsIntermediateFor(job.sourcePath);
    job.finished = object.value("finished").toBool() ? 1 : 0;
    if (job.finished)
        job.outputBytes = std::max<qint64>(0, object.value("bytes").toInteger());
    job.failed = object.value("failed").toBool() ? 1 : 0;
    if (job.failed)
        job.failureReason = object.value("reason").toString();
    return job;
}

} // namespace

QString JobListFile::DefaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
           + QStringLiteral("/jobs.json");
}

QByteArray JobListFile::Encode(const SharedState &state)
{
    QJsonArray jobs;
    for (int i = 0; i < state.jobs.count(); ++i)
        jobs.append(EncodeJob(state.jobs.copyOut(i)));
    QJsonObject root{{"format", Format}, {"version", Version}, {"jobs", jobs}};
    if (const QList<int> running = RunningJobs(state); !running.isEmpty()) {
        // "job" names the first, as a file from before several ran at once did.
        QJsonArray rows;
        for (const int row : running)
            rows.append(row);
        root.insert("running",
                    QJsonObject{{"job", running.first()},
                                {"jobs", rows},
                                {"outputDirectory", state.outputDirectory},
                                {"outputType", state.outputType}});
    }
    if (const QStringList intermediates = Intermediates(state); !intermediates.isEmpty())
        root.insert("intermediates", QJsonArray::fromStringList(intermediates));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<SavedJobs> JobListFile::Decode(const QByteArray &bytes,
                                             const QString &programDirectory)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || root.value("format").toString() != Format
        || root.value("version").toInt() != Version || !root.value("jobs").isArray())
        return std::nullopt;
    SavedJobs saved;
    const QJsonArray jobs = root.value("jobs").toArray();
    for (const QJsonValue &value : jobs) {
        std::optional<ConversionJob> job = DecodeJob(value);
        if (!job)
            return std::nullopt;
        saved.jobs.append(*job);
    }
    if (root.contains("running")) {
        const QJsonObject running = root.value("running").toObject();
        const QJsonArray rows = running.contains("jobs") ? running.value("jobs").toArray()
                                                         : QJsonArray{running.value("job")};
        for (const QJsonValue &row : rows) {
            const int index = row.toInt(-1);
            if (index < 0 || index >= saved.jobs.size())
                return std::nullopt;
            saved.runningJobs.append(index);
        }
        saved.outputDirectory = running.value("outputDirectory").toString();
        saved.outputType = running.value("outputType").toInt();
        if (saved.runningJobs.isEmpty() || !IsAbsoluteFolder(saved.outputDirectory)
            || !IsValidOutputType(saved.outputType))
            return std::nullopt;
    }
    const QJsonValue intermediates = root.value("intermediates");
    if (!intermediates.isUndefined() && !intermediates.isArray())
        return std::nullopt;
    for (const QJsonValue &path : intermediates.toArray()) {
        if (!IsIntermediateFile(path.toString(), programDirectory))
            return std::nullopt;
        saved.intermediates.append(path.toString());
    }
    return saved;
}

bool JobListFile::Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

SavedJobs JobListFile::Read(const QString &path, const QString &programDirectory)
{
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return {};
    const std::optional<SavedJobs> saved = Decode(file.readAll(), programDirectory);
    file.close();
    if (saved)
        return *saved;
    // Kept for whoever wants to look at it, and out of the way of the next save.
    const QString aside = path + QLatin1String(DamagedSuffix);
    QFile::remove(aside);
    QFile::rename(path, aside);
    std::fprintf(stderr,
                 "mivartel: the saved job list %s is damaged; it was moved to %s and the list "
                 "starts empty\n",
                 qPrintable(path),
                 qPrintable(aside));
    return {};
}

void JobListFile::RecoverInterrupted(SavedJobs &saved)
{
    for (const int row : std::as_const(saved.runningJobs)) {
        ConversionJob &job = saved.jobs[row];
        DeleteStageFiles(saved.outputDirectory, job.outputName, job.stage, saved.outputType);
        job.stage = JobStage::Exporting;
        job.finished = 0;
        job.failed = 0;
        job.failureReason.clear();
    }
    saved.runningJobs.clear();
    for (const QString &path : std::as_const(saved.intermediates))
        DeleteFileIfAny(path);
    saved.intermediates.clear();
}
