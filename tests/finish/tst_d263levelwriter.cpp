#include "finish/d263levelwriter.h"
#include "testmedia.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(D263LevelWriter::Outcome)

// The level writer on real 3GP files from ffmpeg, whole and damaged: it writes only into a file
// whose index it read without fault, and only the level bytes.
class TestD263LevelWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QByteArray m_h263;     // index after the media data, as ffmpeg's first pass writes it
    QByteArray m_h263Fast; // index first
    QByteArray m_mpeg4;

    static QByteArray Read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void Write(const QString &path, const QByteArray &bytes) const
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static void SetBigEndian(QByteArray &bytes, qsizetype at, quint32 value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(value >> (24 - 8 * i));
    }
    // The file with the size field of its first box of this type replaced.
    static QByteArray WithBoxSize(QByteArray bytes, const char *type, quint32 size)
    {
        SetBigEndian(bytes, bytes.indexOf(type) - 4, size);
        return bytes;
    }
    QByteArray Made(const QString &name, const QStringList &arguments) const
    {
        const QString path = m_dir.filePath(name);
        return TestMedia::MakeClip(path, 1, arguments) ? Read(path) : QByteArray();
    }

private slots:
    void initTestCase()
    {
        const QStringList h263{"-s",
                               "176x144",
                               "-c:v",
                               "h263",
                               "-c:a",
                               "libopencore_amrnb",
                               "-ar",
                               "8000",
                               "-ac",
                               "1",
                               "-f",
                               "3gp"};
        m_h263 = Made("h263.3gp", h263);
        m_h263Fast = Made("fast.3gp",
                          QStringList(h263) << "-movflags"
                                            << "+faststart");
        m_mpeg4 = Made("mpeg4.3gp", {"-s", "176x144", "-c:v", "mpeg4", "-an", "-f", "3gp"});
        QVERIFY(m_h263.contains("d263") && m_h263Fast.contains("d263"));
        QVERIFY(m_mpeg4.contains("mp4v"));
    }

    void writesOnlyIntoSoundFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<D263LevelWriter::Outcome>("outcome");
        using O = D263LevelWriter::Outcome;
        QTest::newRow("index last") << m_h263 << O::Written;
        QTest::newRow("index first") << m_h263Fast << O::Written;
        QTest::newRow("index up to the end (size 0)")
            << WithBoxSize(m_h263, "moov", 0) << O::Written;
        QByteArray largeBox("\0\0\0\1free\0\0\0\0\0\0\0\x10", 16);
        QTest::newRow("64-bit box size") << largeBox + m_h263 << O::Written;

        QTest::newRow("no H.263 track") << m_mpeg4 << O::NoH263Track;
        QTest::newRow("empty") << QByteArray() << O::Malformed;
        QTest::newRow("text") << QByteArray("not a media file at all\n") << O::Malformed;
        QTest::newRow("cut inside the index")
            << m_h263.left(m_h263.indexOf("moov") + 300) << O::Malformed;
        QTest::newRow("d263 larger than its entry")
            << WithBoxSize(m_h263, "d263", 0x7fffffff) << O::Malformed;
        QTest::newRow("d263 too short") << WithBoxSize(m_h263, "d263", 12) << O::Malformed;
        QTest::newRow("s263 too short") << WithBoxSize(m_h263, "s263", 40) << O::Malformed;
        QTest::newRow("stsd below its header") << WithBoxSize(m_h263, "stsd", 4) << O::Malformed;
        QByteArray entries = m_h263;
        const qsizetype stsd = entries.lastIndexOf("stsd", entries.indexOf("s263"));
        SetBigEndian(entries, stsd + 8, 1000); // entry count
        QTest::newRow("more entries than it holds") << entries << O::Malformed;
        const qsizetype moov = m_h263.indexOf("moov") - 4;
        QTest::newRow("two indexes") << m_h263 + m_h263.mid(moov) << O::Malformed;
    }
    void writesOnlyIntoSoundFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(D263LevelWriter::Outcome, outcome);
        const QString path = m_dir.filePath("case.3gp");
        Write(path, bytes);
        std::string detail;
        QCOMPARE(D263LevelWriter::Write(path.toStdString(), 45, detail), outcome);
        const QByteArray after = Read(path);
        if (outcome != D263LevelWriter::Outcome::Written) {
            QVERIFY(!detail.empty());
            QCOMPARE(after, bytes);
            return;
        }
        // One H.263 track: exactly one byte changed, from ffmpeg's 10 to 45.
        QCOMPARE(after.size(), bytes.size());
        QList<qsizetype> changed;
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (after[i] != bytes[i])
                changed.append(i);
        }
        QCOMPARE(changed.size(), 1);
        QCOMPARE(int(bytes[changed[0]]), 10);
        QCOMPARE(int(after[changed[0]]), 45);
        QCOMPARE(changed[0], bytes.indexOf("d263") + 4 + 5);
    }

    void toolExitStatus_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("written") << QStringList{"30", "H263"} << 0;
        QTest::newRow("no H.263 track") << QStringList{"30", "MPEG4"} << 1;
        QTest::newRow("missing file") << QStringList{"30", "/nowhere/x.3gp"} << 1;
        QTest::newRow("unknown level") << QStringList{"35", "H263"} << 2;
        QTest::newRow("file name for a level") << QStringList{"H263", "30"} << 2;
        QTest::newRow("no file") << QStringList{"30"} << 2;
    }
    void toolExitStatus()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        Write(m_dir.filePath("tool h263.3gp"), m_h263);
        Write(m_dir.filePath("tool mpeg4.3gp"), m_mpeg4);
        arguments.replaceInStrings("H263", m_dir.filePath("tool h263.3gp"));
        arguments.replaceInStrings("MPEG4", m_dir.filePath("tool mpeg4.3gp"));
        QProcess tool;
        tool.start(QStringLiteral(H263LEVEL_TOOL), arguments);
        QVERIFY(tool.waitForFinished(10000));
        QCOMPARE(tool.exitCode(), status);
        QCOMPARE(tool.readAllStandardError().isEmpty(), status == 0);
    }
};

QTEST_GUILESS_MAIN(TestD263LevelWriter)
#include "tst_d263levelwriter.moc"
