#include "finish/d263levelwriter.h"
#include "testmedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(D263LevelWriter::Outcome)

// The level writer on real 3GP files from ffmpeg, whole and damaged: it writes only into a file
// whose index it read without fault, and only the level byte.
class TestD263LevelWriter : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QByteArray Made(const QString &codec, const QStringList &more = {}) const
    {
        const QString path = m_dir.filePath(codec + ".3gp");
        if (!TestMedia::MakeClip(
                path, 1, QStringList{"-s", "176x144", "-c:v", codec, "-an"} + more))
            return {};
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The bytes with the 32-bit field at offset from the first box of this type replaced.
    static QByteArray Set(QByteArray bytes, const char *type, int offset, quint32 value)
    {
        const qsizetype at = bytes.indexOf(type) + offset;
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = char(value >> (24 - 8 * i));
        return bytes;
    }

private slots:
    void writesOnlyIntoSoundFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<D263LevelWriter::Outcome>("outcome");
        using O = D263LevelWriter::Outcome;
        const QByteArray h263 = Made("h263"); // index after the media data
        const QByteArray moov = h263.mid(h263.indexOf("moov") - 4);
        QVERIFY(h263.contains("d263") && h263.endsWith(moov));
        QTest::newRow("index last") << h263 << O::Written;
        QTest::newRow("index first") << Made("h263", {"-movflags", "+faststart"}) << O::Written;
        QTest::newRow("index up to the end") << Set(h263, "moov", -4, 0) << O::Written;
        QTest::newRow("64-bit box size")
            << QByteArray("\0\0\0\1free\0\0\0\0\0\0\0\x10", 16) + h263 << O::Written;
        QTest::newRow("no H.263 track") << Made("mpeg4") << O::NoH263Track;
        QTest::newRow("text") << QByteArray("not a media file\n") << O::Malformed;
        QTest::newRow("cut in the index") << h263.chopped(moov.size() / 2) << O::Malformed;
        QTest::newRow("two indexes") << h263 + moov << O::Malformed;
        QTest::newRow("d263 past its entry") << Set(h263, "d263", -4, 1 << 20) << O::Malformed;
        QTest::newRow("d263 too short") << Set(h263, "d263", -4, 12) << O::Malformed;
        QTest::newRow("s263 too short") << Set(h263, "s263", -4, 40) << O::Malformed;
        QTest::newRow("box below its header") << Set(h263, "stsd", -4, 4) << O::Malformed;
        QTest::newRow("more entries than held") << Set(h263, "stsd", 8, 9) << O::Malformed;
    }
    void writesOnlyIntoSoundFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(D263LevelWriter::Outcome, outcome);
        QFile file(m_dir.filePath("case.3gp"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        std::string detail;
        QCOMPARE(D263LevelWriter::Write(file.fileName().toStdString(), 45, detail), outcome);
        QCOMPARE(detail.empty(), outcome == D263LevelWriter::Outcome::Written);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray expected = bytes;
        if (outcome == D263LevelWriter::Outcome::Written) {
            // ffmpeg's level 10, in the d263 box after its vendor and decoder version.
            const qsizetype level = bytes.indexOf("d263") + 4 + 5;
            QCOMPARE(int(bytes.at(level)), 10);
            expected[level] = char(45);
        }
        QCOMPARE(file.readAll(), expected);
    }
};

QTEST_GUILESS_MAIN(TestD263LevelWriter)
#include "tst_d263levelwriter.moc"
