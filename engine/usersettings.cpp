#include "engine/usersettings.h"

#include <QSettings>

namespace {

// The keys, each with what a missing or unreadable entry gives.
const QString DestinationKey = QStringLiteral("destination"); // an empty text
const QString VersionKey = QStringLiteral("Version");         // an empty text
const QString OutputTypeKey = QStringLiteral("outputType");
constexpr int DefaultOutputType = 0;
const QString JobsAtOnceKey = QStringLiteral("jobsAtOnce");
const QString EvenLoudnessKey = QStringLiteral("evenLoudness");
constexpr int DefaultJobsAtOnce = 0; // not chosen; the batch's own default applies

// An empty text when missing.
QString ProfileKey(int outputType)
{
    return QStringLiteral("profile/%1").arg(outputType);
}

} // namespace

const QString UserSettings::Organization = QStringLiteral("Mivartel");
const QString UserSettings::Application = QStringLiteral("Mivartel");

QSettings UserSettings::Open()
{
    return QSettings(Organization, Application);
}

QString UserSettings::Destination()
{
    return Open().value(DestinationKey).toString();
}

void UserSettings::SetDestination(const QString &folder)
{
    Open().setValue(DestinationKey, folder);
}

QString UserSettings::Version()
{
    return Open().value(VersionKey).toString();
}

int UserSettings::OutputType()
{
    return Open().value(OutputTypeKey, DefaultOutputType).toInt();
}

void UserSettings::SetOutputType(int outputType)
{
    Open().setValue(OutputTypeKey, outputType);
}

QString UserSettings::ProfileTitle(int outputType)
{
    return Open().value(ProfileKey(outputType)).toString();
}

void UserSettings::SetProfileTitle(int outputType, const QString &title)
{
    Open().setValue(ProfileKey(outputType), title);
}

int UserSettings::JobsAtOnce()
{
    bool ok = false;
    const int jobs = Open().value(JobsAtOnceKey).toInt(&ok);
    return ok ? jobs : DefaultJobsAtOnce;
}

void UserSettings::SetJobsAtOnce(int jobs)
{
    Open().setValue(JobsAtOnceKey, jobs);
}

bool UserSettings::EvenLoudness()
{
    return Open().value(EvenLoudnessKey, false).toBool();
}

void UserSettings::SetEvenLoudness(bool even)
{
    Open().setValue(EvenLoudnessKey, even);
}
