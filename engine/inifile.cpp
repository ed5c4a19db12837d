#include "engine/inifile.h"

#include <QFile>

IniFile IniFile::Load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return Parse(file.readAll());
}

IniFile IniFile::Parse(const QByteArray &text)
{
    IniFile ini;
    Section *current = nullptr;
    for (const QByteArray &rawLine : text.split('\n')) {
        const QString line = QString::fromLocal8Bit(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            // Lines under a repeated header extend the first section of that name.
            Section *existing = const_cast<Section *>(ini.find(name));
            if (existing) {
                current = existing;
            } else {
                ini.m_sections.append(Section{name, {}});
                current = &ini.m_sections.last();
            }
            continue;
        }
        if (current)
            current->lines.append(line);
    }
    return ini;
}

const IniFile::Section *IniFile::find(const QString &sectionName) const
{
    for (const Section &section : m_sections) {
        if (section.name.compare(sectionName, Qt::CaseInsensitive) == 0)
            return &section;
    }
    return nullptr;
}

QString IniFile::value(const QString &sectionName, const QString &key) const
{
    const Section *section = find(sectionName);
    if (!section)
        return {};
    for (const QString &line : section->lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2
            && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\''))))) {
            value = value.mid(1, value.size() - 2);
        }
        return value;
    }
    return {};
}
