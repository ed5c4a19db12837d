// Any bytes through the INI reader in memory: sections, lookups by name and values.
#include "fuzzcheck.h"

#include "engine/inifile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const IniFile ini = IniFile::Parse(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const IniFile::Section &section : ini.sections()) {
        // Names are unique without regard to case, so each finds itself.
        FUZZ_CHECK(ini.find(section.name) == &section);
        // Only ASCII letters: a full Unicode upper case may change a name's length ("ΐ").
        QString upper = section.name;
        for (QChar &c : upper) {
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                c = QChar(c.unicode() - 'a' + 'A');
        }
        FUZZ_CHECK(ini.find(upper) == &section);
        for (const QString &line : section.lines) {
            FUZZ_CHECK(!line.isEmpty());
            const qsizetype eq = line.indexOf(QLatin1Char('='));
            if (eq > 0)
                ini.value(section.name, line.left(eq));
        }
    }
    return 0;
}
