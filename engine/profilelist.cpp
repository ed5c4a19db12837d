#include "engine/profilelist.h"

#include "engine/outputtypes.h"
#include "engine/profilecatalog.h"

#include <cstdlib>

std::optional<ProfileList>
LoadProfileList(ProfileCatalog &catalog, const QString &engineDirectory, int outputType)
{
    if (!IsValidOutputType(outputType))
        return std::nullopt;
    catalog.SetFile(ProfilePath(engineDirectory, outputType));
    const QString info = QStringLiteral("Info");
    if (!catalog.HasSection(info))
        return std::nullopt;
    ProfileList list;
    list.description = catalog.ReadString(info, QStringLiteral("Description"));
    // atoi's reading: leading blanks and a sign, digits up to the first other character.
    const int defaultProfile = std::atoi(
        catalog.ReadString(info, QStringLiteral("DefaultProfile")).toLocal8Bit().constData());
    const int count = catalog.ReadSectionNames(catalog.sectionNames);
    for (int i = 1; i < count; ++i)
        list.titles.append(catalog.ReadString(catalog.sectionNames.at(i), QStringLiteral("Title")));
    if (defaultProfile >= 1 && defaultProfile <= list.titles.size())
        list.selected = defaultProfile - 1;
    return list;
}
