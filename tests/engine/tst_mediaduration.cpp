#include "engine/mediaduration.h"
#include "engine/mediastreams.h"

#include "testmedia.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Measuring what a user may hand over: anything odd is refused with its reason, never hangs.
class TestMediaDuration : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;       // 4 s, index at the end
    QString m_indexFirst; // 4 s, index first

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
        QTest::newRow("clip") << m_clip << 5000 << "";
        for (const TestMedia::OddSource &odd :
             TestMedia::MakeOddSources(m_media.path(), m_clip, m_indexFirst))
            QTest::newRow(qPrintable(odd.row)) << odd.path << 5000 << odd.problem;
        QTest::newRow("no time left") << m_clip << 0 << "cannot be read as video or audio";
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
        // The picture rate, read as a batch starts, passes over what is not a file at once (a
        // pipe would hold its reader for good).
        const std::optional<double> rate = MediaStreams::PictureRate(path);
        if (problem.isEmpty())
            QVERIFY(rate > 0.0);
        else if (problem != QLatin1String("cannot be read as video or audio"))
            QVERIFY(!rate);
    }
};

QTEST_GUILESS_MAIN(TestMediaDuration)
#include "tst_mediaduration.moc"
