#include "engine/commandtemplate.h"
#include "engine/profilecatalog.h"
#include "engine/profilelist.h"
#include "engine/sizebound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestProfileCatalog : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString Write(const QString &name, const QByteArray &text)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(path));
        file.write(text);
        return path;
    }

private slots:
    void setFileTellsWhetherAFileIsThere()
    {
        ProfileCatalog catalog;
        QVERIFY(catalog.SetFile(Write("p.ini", "[Info]\n")));
        QVERIFY(!catalog.SetFile(m_dir.path()));
        QVERIFY(!catalog.SetFile(m_dir.filePath("missing.ini")));
        // The path is kept all the same, and reads of it find nothing.
        QCOMPARE(catalog.ReadString("Info", "Description"), QString());
        QStringList names{"stale"};
        QCOMPARE(catalog.ReadSectionNames(names), 0);
        QVERIFY(names.isEmpty());
    }

    void readsAProfileFileByPositionAndByName()
    {
        ProfileCatalog catalog;
        catalog.SetFile(Write("three.ini",
                              "[Info]\r\n"
                              "Description = Phones of all kinds \r\n"
                              "DefaultProfile=2\r\n"
                              "\r\n"
                              "[Low]\n"
                              "Title=Low quality\n"
                              "Command1=ffmpeg -i \"$INPUT_FILE\" -metadata a=b x.3gp\n"
                              "NoEqualsSign\n"
                              "[high]\nTitle=\"High quality\"\nC=run\n"
                              "[EMPTY]\n"));
        QVERIFY(catalog.HasSection("info"));
        QVERIFY(catalog.HasSection("LOW"));
        QVERIFY(!catalog.HasSection("Empty"));
        QVERIFY(!catalog.HasSection("Nowhere"));
        QCOMPARE(catalog.ReadString("INFO", "description"), QString("Phones of all kinds"));
        QCOMPARE(catalog.ReadString("Info", "DefaultProfile"), QString("2"));
        QCOMPARE(catalog.ReadString("High", "Title"), QString("High quality"));
        QCOMPARE(catalog.ReadString("Low", "Missing"), QString());

        QCOMPARE(catalog.ReadSectionNames(catalog.sectionNames), 4);
        QCOMPARE(catalog.sectionNames, (QStringList{"Info", "Low", "high", "EMPTY"}));

        QCOMPARE(catalog.ReadSection("low", catalog.profileKeys, catalog.profileValues), 3);
        QCOMPARE(catalog.profileKeys, (QStringList{"Title", "Command1", ""}));
        // Everything after the first "=" is the command, further "=" included.
        QCOMPARE(catalog.profileValues,
                 (QStringList{"Low quality",
                              "ffmpeg -i \"$INPUT_FILE\" -metadata a=b x.3gp",
                              "NoEqualsSign"}));

        QCOMPARE(catalog.ReadSection("EMPTY", catalog.profileKeys, catalog.profileValues), 0);
        QVERIFY(catalog.profileKeys.isEmpty() && catalog.profileValues.isEmpty());
    }

    void limitsOfTheBuffers()
    {
        ProfileCatalog catalog;
        const QByteArray longValue(400, 'v');
        const QByteArray longCommand = "ffmpeg " + QByteArray(600, 'a');
        catalog.SetFile(Write(
            "long.ini", "[Info]\nDescription=" + longValue + "\n[P]\nC=" + longCommand + "\n"));
        QCOMPARE(catalog.ReadString("Info", "Description").size(), ProfileCatalog::MaxItemLength);
        // A command is never cut: half a command would run with half its arguments.
        catalog.ReadSection("P", catalog.profileKeys, catalog.profileValues);
        QCOMPARE(catalog.profileValues, QStringList{QString::fromLatin1(longCommand)});

        // More section names than fit in the names buffer: the rest is not seen.
        QByteArray many;
        for (int i = 0; i < 8000; ++i)
            many += "[Section" + QByteArray::number(i) + "]\nk=v\n";
        catalog.SetFile(Write("many.ini", many));
        const int seen = catalog.ReadSectionNames(catalog.sectionNames);
        QVERIFY(seen > 5000 && seen < 8000);
        QCOMPARE(catalog.sectionNames.first(), QString("Section0"));
    }

    // Edits show at the next read: nothing is cached between calls.
    void everyReadSeesTheFileAnew()
    {
        ProfileCatalog catalog;
        const QString path = Write("edit.ini", "[Info]\nDescription=old\n");
        catalog.SetFile(path);
        QCOMPARE(catalog.ReadString("Info", "Description"), QString("old"));
        Write("edit.ini", "[Info]\nDescription=new\n");
        QCOMPARE(catalog.ReadString("Info", "Description"), QString("new"));
    }

    // What the profile list shows: titles of every section but the first, the default selected.
    void profileListContents_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("description");
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<int>("selected");
        const QByteArray three = "[One]\nTitle=First\nC=a\n[Two]\nC=b\n[Three]\nTitle=Third\n";
        QTest::newRow("default 2 of three") << "[Info]\nDescription=D\nDefaultProfile=2\n" + three
                                            << "D" << QStringList{"First", "", "Third"} << 1;
        QTest::newRow("only Info") << QByteArray("[Info]\nDescription=Alone\nDefaultProfile=1\n")
                                   << "Alone" << QStringList{} << -1;
        QTest::newRow("atoi reading") << "[Info]\nDefaultProfile= +3rd\n" + three << ""
                                      << QStringList{"First", "", "Third"} << 2;
        QTest::newRow("not a number") << "[Info]\nDefaultProfile=two\n" + three << ""
                                      << QStringList{"First", "", "Third"} << -1;
        QTest::newRow("past the list") << "[Info]\nDefaultProfile=4\n" + three << ""
                                       << QStringList{"First", "", "Third"} << -1;
        // The first section is skipped by position, whatever its name.
        QTest::newRow("Info not first")
            << "[Header]\nk=v\n[Info]\nDefaultProfile=1\nTitle=Info's\n" + three << ""
            << QStringList{"Info's", "First", "", "Third"} << 0;
    }
    void profileListContents()
    {
        QFETCH(QByteArray, text);
        const QString engine = m_dir.filePath("engine");
        QDir().mkpath(engine);
        Write("engine/3GP_AAC_Profile.ini", text);
        ProfileCatalog catalog;
        const std::optional<ProfileList> list = LoadProfileList(catalog, engine, 1);
        QVERIFY(list.has_value());
        QTEST(list->description, "description");
        QTEST(list->titles, "titles");
        QTEST(list->selected, "selected");
    }

    void profileListOfAFileWithoutInfoIsNothing()
    {
        const QString engine = m_dir.filePath("bare");
        QDir().mkpath(engine);
        ProfileCatalog catalog;
        QVERIFY(!LoadProfileList(catalog, engine, 0).has_value()); // no file at all
        Write("bare/3GP_AMR_Profile.ini", "[Info]\n[P]\nTitle=T\n");
        QVERIFY(!LoadProfileList(catalog, engine, 0).has_value()); // an empty Info
        QVERIFY(!LoadProfileList(catalog, engine, 3).has_value()); // no such output type
    }

    // The shipped files must have what the window and the pipeline rely on.
    void shippedProfilesAreComplete_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("commands");
        QTest::newRow("3GP AMR") << "3GP_AMR_Profile.ini" << 3;
        QTest::newRow("3GP AAC") << "3GP_AAC_Profile.ini" << 3;
        QTest::newRow("3G2 AAC") << "3GP2_AAC_Profile.ini" << 5;
    }
    void shippedProfilesAreComplete()
    {
        QFETCH(QString, file);
        QFETCH(int, commands);
        ProfileCatalog catalog;
        QVERIFY(catalog.SetFile(QStringLiteral(MIVARTEL_SOURCE_DIR "/app/") + file));
        QVERIFY(!catalog.ReadString("Info", "Description").isEmpty());
        const int count = catalog.ReadSectionNames(catalog.sectionNames);
        QVERIFY(count >= 4);
        const int defaultProfile = catalog.ReadString("Info", "DefaultProfile").toInt();
        QVERIFY(defaultProfile >= 1 && defaultProfile < count);
        for (int i = 1; i < count; ++i) {
            const QString section = catalog.sectionNames.at(i);
            const int lines
                = catalog.ReadSection(section, catalog.profileKeys, catalog.profileValues);
            // A size-bound profile ends with its size, which its title names.
            const QString maxSize = catalog.ReadString(section, "MaxSize");
            QCOMPARE(lines, commands + (maxSize.isEmpty() ? 1 : 2));
            if (!maxSize.isEmpty()) {
                QCOMPARE(catalog.profileKeys.last(), QString("MaxSize"));
                const std::optional<SizeBound> bound
                    = SizeBound::Parse(maxSize, SplitCommandLine(catalog.profileValues.at(1)));
                QVERIFY2(bound && section.contains(SizeBound::SizeText(bound->maxBytes())),
                         qPrintable(section));
                QVERIFY(catalog.profileValues.at(1).contains("$VIDEO_BITRATEk"));
            }
            // Every encoder takes the loudness filter, as a word of its own.
            QVERIFY2(SplitCommandLine(catalog.profileValues.at(1)).contains("$AUDIO_FILTER"),
                     qPrintable(section));
            QCOMPARE(catalog.profileKeys.first(), QString("Title"));
            QVERIFY(!catalog.ReadString(section, "Title").isEmpty());
            // The encoder reads the range and quits on "q"; the tools never read the terminal
            // (our own finishing tools read no input at all).
            QVERIFY(catalog.profileValues.at(1).contains("$START"));
            QVERIFY(catalog.profileValues.at(1).contains("$LENGTH"));
            QVERIFY(!catalog.profileValues.at(1).contains("-nostdin"));
            for (int k = 2; k <= commands; ++k) {
                const QString command = catalog.profileValues.at(k);
                QVERIFY2(command.contains("-nostdin") || command.startsWith("mivartel-"),
                         qPrintable(command));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestProfileCatalog)
#include "tst_profilecatalog.moc"
