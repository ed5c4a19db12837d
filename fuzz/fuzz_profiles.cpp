// Any bytes as a profile file on disk, read through the catalogue and the profile list as the
// window and the pipeline read it.
#include "fuzzcheck.h"

#include "engine/outputtypes.h"
#include "engine/profilecatalog.h"
#include "engine/profilelist.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <unistd.h>

namespace {

// A folder in memory where possible: the catalogue reads the file anew at every call.
QString EngineDirectory()
{
    const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const QString dir = base + QStringLiteral("/mivartel-fuzz-%1/app").arg(::getpid());
    QDir().mkpath(dir);
    return dir;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));

    static const QString engineDirectory = EngineDirectory();
    QFile file(engineDirectory + QLatin1Char('/') + QLatin1String(profileFileTable[0].profileFile));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(text);
    file.close();

    ProfileCatalog catalog;
    if (const std::optional<ProfileList> list = LoadProfileList(catalog, engineDirectory, 0)) {
        FUZZ_CHECK(list->selected >= -1 && list->selected < list->titles.size());
        for (const QString &title : list->titles)
            FUZZ_CHECK(title.size() <= ProfileCatalog::MaxItemLength);
        FUZZ_CHECK(list->description.size() <= ProfileCatalog::MaxItemLength);
    }
    const int count = catalog.ReadSectionNames(catalog.sectionNames);
    FUZZ_CHECK(count == catalog.sectionNames.size());
    for (const QString &name : catalog.sectionNames) {
        const int lines = catalog.ReadSection(name, catalog.profileKeys, catalog.profileValues);
        FUZZ_CHECK(lines == catalog.profileKeys.size() && lines == catalog.profileValues.size());
    }
    return 0;
}
