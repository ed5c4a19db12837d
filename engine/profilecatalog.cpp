#include "engine/profilecatalog.h"

#include "engine/inifile.h"

#include <QFileInfo>

namespace {

// Keeps the items that fit a list buffer of MaxListBytes: each item takes its bytes and a
// NUL, and the list ends with a second NUL. Items longer than maxLength are cut.
QStringList FitListBuffer(const QStringList &items, qsizetype maxLength)
{
    QStringList fitted;
    qsizetype used = 1;
    for (const QString &item : items) {
        const QString cut = item.left(maxLength);
        used += cut.toLocal8Bit().size() + 1;
        if (used > ProfileCatalog::MaxListBytes)
            break;
        fitted.append(cut);
    }
    return fitted;
}

} // namespace

bool ProfileCatalog::SetFile(const QString &path)
{
    m_path = path;
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool ProfileCatalog::HasSection(const QString &section) const
{
    const IniFile ini = IniFile::Load(m_path);
    const IniFile::Section *found = ini.find(section);
    if (!found)
        return false;
    for (const QString &line : found->lines) {
        if (line.contains(QLatin1Char('=')))
            return true;
    }
    return false;
}

QString ProfileCatalog::ReadString(const QString &section, const QString &key) const
{
    const IniFile ini = IniFile::Load(m_path);
    return ini.value(section, key).left(MaxItemLength);
}

int ProfileCatalog::ReadSectionNames(QStringList &names) const
{
    names.clear();
    const IniFile ini = IniFile::Load(m_path);
    QStringList all;
    for (const IniFile::Section &section : ini.sections())
        all.append(section.name);
    names = FitListBuffer(all, MaxItemLength);
    return int(names.size());
}

int ProfileCatalog::ReadSection(const QString &section,
                                QStringList &keys,
                                QStringList &values) const
{
    keys.clear();
    values.clear();
    const IniFile ini = IniFile::Load(m_path);
    const IniFile::Section *found = ini.find(section);
    if (!found)
        return 0;
    // A command line is never cut: a cut command would run with half its arguments.
    for (const QString &line : FitListBuffer(found->lines, MaxListBytes)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        keys.append(eq < 0 ? QString() : line.left(eq));
        values.append(eq < 0 ? line : line.mid(eq + 1));
    }
    return int(keys.size());
}
