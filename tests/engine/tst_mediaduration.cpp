#include "engine/mediaduration.h"

#include "testmedia.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Measuring what a user may hand over: anything odd is refused with its reason, never hangs.
class TestMediaDuration : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;       // 4 s, index at the end
    QString m_indexFirst; // 4 s, index first

    QString Copy(const QString &source, const QString &name, qint64 keepBytes = -1) const
    {
        const QString path = m_media.filePath(name);
        QFile::copy(source, path);
        if (keepBytes >= 0)
            QFile::resize(path, keepBytes);
        return path;
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("clip.mp4");
        m_indexFirst = m_media.filePath("first.mp4");
        QVERIFY(TestMedia::MakeClip(m_clip, 4, {"-c:v", "mpeg4", "-c:a", "aac"}));
        QVERIFY(TestMedia::MakeClip(
            m_indexFirst, 4, {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"}));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("timeLimitMs");
        QTest::addColumn<QString>("problem"); // empty: measured, about 4 s
        const QString unreadable = "cannot be read as video or audio";
        QTest::newRow("clip") << m_clip << 5000 << "";
        QTest::newRow("missing") << m_media.filePath("none.mp4") << 5000 << "no such file";
        QTest::newRow("folder") << m_media.path() << 5000 << "not a regular file";
        const QString fifo = m_media.filePath("pipe.mp4");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QTest::newRow("named pipe") << fifo << 5000 << "not a regular file";
        QTest::newRow("character device") << "/dev/zero" << 5000 << "not a regular file";
        QTest::newRow("zero bytes") << Copy(m_clip, "empty.mp4", 0) << 5000 << unreadable;
        QFile noise(m_media.filePath("noise.mp4"));
        QVERIFY(noise.open(QIODevice::WriteOnly));
        QRandomGenerator random(7);
        QByteArray block(1 << 20, '\0');
        for (int mb = 0; mb < 50; ++mb) {
            random.fillRange(reinterpret_cast<quint32 *>(block.data()), block.size() / 4);
            noise.write(block);
        }
        noise.close();
        QTest::newRow("50 MB of noise") << noise.fileName() << 5000 << unreadable;
        const qint64 half = QFileInfo(m_clip).size() / 2;
        QTest::newRow("cut in half, index at the end")
            << Copy(m_clip, "half.mp4", half) << 5000 << unreadable;
        QTest::newRow("index first, data cut short")
            << Copy(m_indexFirst, "short.mp4", QFileInfo(m_indexFirst).size() / 2) << 5000 << "";
        QTest::newRow("newline in the name") << Copy(m_clip, "two\nlines.mp4") << 5000 << "";
        QString deep = m_media.path();
        while (deep.size() < 3900)
            deep += "/" + QString(200, QLatin1Char('d'));
        QVERIFY(QDir().mkpath(deep));
        const QString longPath = deep + "/clip.mp4";
        QVERIFY(QFile::copy(m_clip, longPath));
        QVERIFY(longPath.size() > 4000);
        QTest::newRow("path of 4,000 bytes") << longPath << 5000 << "";
        QTest::newRow("no time left") << m_clip << 0 << unreadable;
    }
    void badInput()
    {
        QFETCH(QString, path);
        QFETCH(int, timeLimitMs);
        QFETCH(QString, problem);
        const MediaDuration measured = ExamineMediaDuration(path, timeLimitMs);
        QCOMPARE(measured.problem, problem);
        QCOMPARE(measured.seconds.has_value(), problem.isEmpty());
        if (measured.seconds)
            QVERIFY2(qAbs(*measured.seconds - 4.0) < 0.2,
                     qPrintable(QString::number(*measured.seconds)));
    }
};

QTEST_GUILESS_MAIN(TestMediaDuration)
#include "tst_mediaduration.moc"
