#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A profile file as the private-profile functions see it: "[section]" headers and their lines
// in file order. Names match without regard to case; where a name repeats, the first wins.
// Blank lines and lines starting with ";" belong to no section.
class IniFile
{
public:
    struct Section
    {
        QString name;
        QStringList lines; // trimmed, never empty
    };

    // Reads the whole file; a missing or unreadable file gives no sections.
    static IniFile Load(const QString &path);
    static IniFile Parse(const QByteArray &text);

    const QList<Section> &sections() const { return m_sections; }
    const Section *find(const QString &sectionName) const;
    // The value of the first line whose key (before the first "=", trimmed) matches; a value
    // in matching quotes loses them. Empty when the section or key is missing.
    QString value(const QString &sectionName, const QString &key) const;

private:
    QList<Section> m_sections;
};
