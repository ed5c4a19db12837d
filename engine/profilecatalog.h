#pragma once

#include <QString>
#include <QStringList>

// All access to the profile files goes through here. Every call reads the file anew, so an
// edited profile is seen at the next read. Relative paths resolve against the current
// directory, which callers first set to engineDirectory.
class ProfileCatalog
{
public:
    // The longest value or section name that is seen whole. Section lines are never cut.
    static constexpr int MaxItemLength = 259;
    // The size of the buffer that holds all section names, or all lines of one section.
    static constexpr int MaxListBytes = 65535;

    virtual ~ProfileCatalog() = default;

    // Remembers the path for the later reads; true when it names an existing non-directory.
    bool SetFile(const QString &path);
    // True when the section exists and holds at least one key line.
    bool HasSection(const QString &section) const;
    // The key's value, cut to MaxItemLength; empty when the file, section or key is missing.
    QString ReadString(const QString &section, const QString &key) const;
    // Empties the list, then appends every section name in file order; returns the count.
    int ReadSectionNames(QStringList &names) const;
    // Empties both lists, then appends for every line of the section the text before its first
    // "=" (empty when it has none) and the text after it (the whole line when it has none).
    int ReadSection(const QString &section, QStringList &keys, QStringList &values) const;

    QString path() const { return m_path; }

    // The last read's results, kept until the next read of the same kind.
    QStringList sectionNames;
    QStringList profileKeys;
    QStringList profileValues;

private:
    QString m_path;
};
