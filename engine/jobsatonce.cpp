#include "engine/jobsatonce.h"

#include "engine/batchconversion.h"

#include <QSettings>

namespace {

const QString Key = QStringLiteral("jobsAtOnce");

QSettings UserSettings()
{
    return QSettings(QStringLiteral("Mivartel"), QStringLiteral("Mivartel"));
}

} // namespace

int JobsAtOnceSetting()
{
    bool ok = false;
    const int jobs = UserSettings().value(Key).toInt(&ok);
    if (!ok || jobs < 1 || jobs > BatchConversion::MaxJobsAtOnce)
        return BatchConversion::DefaultJobsAtOnce();
    return jobs;
}

void SetJobsAtOnceSetting(int jobs)
{
    UserSettings().setValue(Key, jobs);
}
