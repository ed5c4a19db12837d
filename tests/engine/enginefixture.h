#pragma once

#include "engine/cellrepainter.h"
#include "engine/conversionengine.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

// The engine wired as the window wires it, in a program folder and an output folder of its
// own. onRepaint sees every repaint request, so a test can act at a chosen moment of a batch.
struct EngineFixture : ConversionEngine, CellRepainter
{
    QTemporaryDir programDir;
    QTemporaryDir outputDir;
    std::function<void(int row, int column)> onRepaint;

    EngineFixture()
    {
        state.SetProgramDirectory(programDir.path());
        QDir().mkpath(state.engineDirectory);
        state.outputDirectory = outputDir.path() + QLatin1Char('/');
        state.repainter = this;
    }

    void RepaintCells(int firstRow, int, int column) override
    {
        if (onRepaint)
            onRepaint(firstRow, column);
    }

    void WriteProfile(const QString &fileName, const QByteArray &text) const
    {
        QFile file(state.engineDirectory + QLatin1Char('/') + fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write the profile %s", qPrintable(fileName));
        file.write(text);
    }

    void CopyShippedProfiles() const
    {
        for (const char *name :
             {"3GP_AMR_Profile.ini", "3GP_AAC_Profile.ini", "3GP2_AAC_Profile.ini"}) {
            QFile::copy(QStringLiteral(MIVARTEL_SOURCE_DIR "/app/") + QLatin1String(name),
                        state.engineDirectory + QLatin1Char('/') + QLatin1String(name));
        }
        // The finishing tool that the H.263 profiles run, found beside them as in the build.
        QFile::copy(QStringLiteral(MIVARTEL_BUILD_DIR "/app/mivartel-h263level"),
                    state.engineDirectory + QLatin1String("/mivartel-h263level"));
    }

    // The shipped profile files, with the given output type and profile (a row of the type's
    // list) chosen as Start chooses them.
    void UseShippedProfile(int outputType, int profile)
    {
        CopyShippedProfiles();
        state.outputType = outputType;
        state.selectedProfile = profile;
    }

    struct ShippedProfile
    {
        int type;
        int row;
        QString title;
    };

    // Every shipped profile whose section sets MaxSize, of every output type.
    static QList<ShippedProfile> ShippedSizeBoundProfiles()
    {
        QList<ShippedProfile> found;
        for (int type = 0; type < int(profileFileTable.size()); ++type) {
            ProfileCatalog catalog;
            const auto list = LoadProfileList(catalog, MIVARTEL_SOURCE_DIR "/app", type);
            for (int k = 0; list && k < list->titles.size(); ++k) {
                if (!catalog.ReadString(list->titles.at(k), "MaxSize").isEmpty())
                    found.append({type, k, list->titles.at(k)});
            }
        }
        return found;
    }

    QString LogText() const
    {
        QFile log(state.engineDirectory + QLatin1String("/log.txt"));
        return log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString();
    }

    QStringList OutputFiles() const
    {
        return QDir(outputDir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    void Run()
    {
        state.converting = 1;
        batch.RunJobs(state.jobs.count());
        state.converting = 0;
    }
};
