#include "engine/outputfiles.h"

#include "engine/conversionjob.h"
#include "engine/outputtypes.h"

#include <QFile>

#include <filesystem>

QString FirstTempFile(const QString &outputDirectory, const QString &outputName)
{
    return outputDirectory + outputName + QLatin1String("_temp.3gp");
}

QString SecondTempFile(const QString &outputDirectory, const QString &outputName)
{
    return outputDirectory + outputName + QLatin1String("_temp_2.3g2");
}

QString FinalFile(const QString &outputDirectory, const QString &outputName, int outputType)
{
    if (!IsValidOutputType(outputType))
        return {};
    return outputDirectory + outputName + QLatin1Char('.')
           + QLatin1String(profileFileTable[size_t(outputType)].extension);
}

QStringList TempFiles(const QString &outputDirectory, const QString &outputName, int outputType)
{
    QStringList files{FirstTempFile(outputDirectory, outputName)};
    if (outputType == OutputType::Aac3g2)
        files.append(SecondTempFile(outputDirectory, outputName));
    return files;
}

void DeleteFileIfAny(const QString &path)
{
    if (path.isEmpty())
        return;
    std::error_code error;
    // Not following a link: a link or folder named like our file is not ours to delete.
    if (std::filesystem::symlink_status(QFile::encodeName(path).toStdString(), error).type()
        == std::filesystem::file_type::regular)
        QFile::remove(path);
}

void DeleteStageFiles(const QString &outputDirectory,
                      const QString &outputName,
                      int stage,
                      int outputType)
{
    const QString &dir = outputDirectory;
    switch (stage) {
    case JobStage::FirstPass:
        DeleteFileIfAny(FirstTempFile(dir, outputName));
        break;
    case JobStage::SecondPhase:
        DeleteFileIfAny(FirstTempFile(dir, outputName));
        if (outputType == OutputType::Amr3gp || outputType == OutputType::Aac3gp)
            DeleteFileIfAny(FinalFile(dir, outputName, outputType));
        else if (outputType == OutputType::Aac3g2)
            DeleteFileIfAny(SecondTempFile(dir, outputName));
        break;
    case JobStage::ThirdPhase:
        DeleteFileIfAny(FirstTempFile(dir, outputName));
        DeleteFileIfAny(SecondTempFile(dir, outputName));
        DeleteFileIfAny(FinalFile(dir, outputName, OutputType::Aac3g2));
        break;
    default:
        break;
    }
}
