#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class ProfileCatalog;

// What the profile list and the description box show for one output type.
struct ProfileList
{
    QString description;
    QStringList titles; // entry k is section k + 1 of the file; the first section never shows
    int selected = -1;  // DefaultProfile - 1; -1 when it is 0, missing, not a number or too large
};

// Reads the output type's profile file from engineDirectory. Nothing when the file is missing or
// has no non-empty "Info" section: the list then keeps what it showed before.
std::optional<ProfileList>
LoadProfileList(ProfileCatalog &catalog, const QString &engineDirectory, int outputType);
