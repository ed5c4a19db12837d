#pragma once

#include <QString>
#include <QStringList>

// The files a profile writes for a job, from the output folder (ending with "/") and the
// job's outputName. The pipeline and Stop Converting delete by these names.
QString FirstTempFile(const QString &outputDirectory, const QString &outputName);
QString SecondTempFile(const QString &outputDirectory, const QString &outputName);
// The result: ".3gp" for output types 0 and 1, ".3g2" for 2; empty for any other type.
QString FinalFile(const QString &outputDirectory, const QString &outputName, int outputType);
// The temporary files a job of the output type writes beside its final file, in the order the
// passes write them.
QStringList TempFiles(const QString &outputDirectory, const QString &outputName, int outputType);
// Deletes the file if it is a regular file (a link, a folder or a device of that name is
// left alone); a missing file or an empty name is no error.
void DeleteFileIfAny(const QString &path);
// Deletes what a job left half-made when it was interrupted in the given stage (JobStage):
// its temporary files and, where that stage writes it, the final file.
void DeleteStageFiles(const QString &outputDirectory,
                      const QString &outputName,
                      int stage,
                      int outputType);
