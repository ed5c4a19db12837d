#include "enginefixture.h"

#include "testmedia.h"

#include <QTest>

// Every shipped profile on a hard source (noisy 720p), read back with mediainfo, an independent
// reader: the file must signal a level of its codec and the stream must stay inside it, as a
// strict phone player checks before it plays.
class TestProfileLevels : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;
    static constexpr double ClipSeconds = 10;

    struct Limits
    {
        int macroblocks;          // per picture
        int macroblocksPerSecond; // decoded
        int kbitPerSecond;        // video
    };

    // H.263 Profile 0 levels (ITU-T H.263 Annex X, Table X.2) and MPEG-4 Visual Simple
    // Profile levels (ISO/IEC 14496-2 Annex N), as mediainfo names them.
    static const Limits *LevelLimits(const QString &signalled)
    {
        static const QHash<QString, Limits> table{
            {"H.263 BaseLine@1.0", {99, 1485, 64}},
            {"H.263 BaseLine@2.0", {396, 5940, 128}},
            {"H.263 BaseLine@3.0", {396, 11880, 384}},
            {"H.263 BaseLine@4.5", {99, 1485, 128}},
            {"MPEG-4 Visual Simple@0", {99, 1485, 64}},
            {"MPEG-4 Visual Simple@0b", {99, 1485, 128}},
            {"MPEG-4 Visual Simple@1", {99, 1485, 64}},
            {"MPEG-4 Visual Simple@2", {396, 5940, 128}},
            {"MPEG-4 Visual Simple@3", {396, 11880, 384}},
        };
        const auto found = table.constFind(signalled);
        return found == table.constEnd() ? nullptr : &found.value();
    }

    static QVariantMap Track(const QList<QVariantMap> &tracks, const QString &type)
    {
        for (const QVariantMap &track : tracks) {
            if (track.value("@type").toString() == type)
                return track;
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("noisy 720p.mp4");
        QString log;
        QVERIFY2(TestMedia::MakeNoisyClip(m_clip, ClipSeconds, &log), qPrintable(log));
    }

    void everyProfileStaysInsideItsLevel_data()
    {
        QTest::addColumn<int>("outputType");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("size");
        QTest::addColumn<double>("frameRate");
        // H.263 counts pictures on its own clock of 30000/1001 Hz; 15 fps is every second tick.
        const double h263Fifteen = 15000.0 / 1001.0;
        QTest::newRow("AMR 1") << 0 << 0 << "H.263 BaseLine@1.0"
                               << "128x96" << 10.0;
        QTest::newRow("AMR 2") << 0 << 1 << "H.263 BaseLine@1.0"
                               << "176x144" << h263Fifteen;
        QTest::newRow("AMR 3") << 0 << 2 << "MPEG-4 Visual Simple@0b"
                               << "176x144" << 15.0;
        QTest::newRow("AMR 4") << 0 << 3 << "H.263 BaseLine@3.0"
                               << "352x288" << h263Fifteen;
        QTest::newRow("AAC 1") << 1 << 0 << "MPEG-4 Visual Simple@0"
                               << "176x144" << 12.0;
        QTest::newRow("AAC 2") << 1 << 1 << "MPEG-4 Visual Simple@0b"
                               << "176x144" << 15.0;
        QTest::newRow("AAC 3") << 1 << 2 << "MPEG-4 Visual Simple@3"
                               << "320x240" << 15.0;
        QTest::newRow("AAC 4") << 1 << 3 << "H.263 BaseLine@4.5"
                               << "176x144" << h263Fifteen;
        QTest::newRow("3G2 1") << 2 << 0 << "MPEG-4 Visual Simple@0"
                               << "176x144" << 12.0;
        QTest::newRow("3G2 2") << 2 << 1 << "MPEG-4 Visual Simple@0b"
                               << "176x144" << 15.0;
        QTest::newRow("3G2 3") << 2 << 2 << "MPEG-4 Visual Simple@3"
                               << "320x240" << 15.0;
        QTest::newRow("3G2 4") << 2 << 3 << "H.263 BaseLine@1.0"
                               << "128x96" << 10.0;
    }
    void everyProfileStaysInsideItsLevel()
    {
        QFETCH(int, outputType);
        QFETCH(int, profile);
        QFETCH(QString, level);
        QFETCH(QString, size);
        QFETCH(double, frameRate);
        EngineFixture f;
        f.CopyShippedProfiles();
        f.state.outputType = outputType;
        f.state.selectedProfile = profile;
        f.state.jobs.append(ConversionJob::ForSource(m_clip, ClipSeconds));
        f.Run();
        const ConversionJob job = f.state.jobs.copyOut(0);
        QCOMPARE(job.finished, 1);
        QCOMPARE(f.LogText(), QString());
        const QString output
            = f.state.outputDirectory + job.outputName + (outputType == 2 ? ".3g2" : ".3gp");
        const QList<QVariantMap> tracks = TestMedia::MediaInfoTracks(output);
        const QVariantMap general = Track(tracks, "General");
        const QVariantMap video = Track(tracks, "Video");
        const QVariantMap audio = Track(tracks, "Audio");

        // What the file says.
        const QString signalled = video.value("Format").toString() + ' '
                                  + video.value("Format_Profile").toString() + '@'
                                  + video.value("Format_Level").toString();
        QCOMPARE(signalled, level);
        const Limits *limits = LevelLimits(signalled);
        QVERIFY2(limits, qPrintable(signalled));

        // What the stream is, against the level's limits.
        const int width = video.value("Width").toInt();
        const int height = video.value("Height").toInt();
        QCOMPARE(QString("%1x%2").arg(width).arg(height), size);
        const double rate = video.value("FrameRate").toDouble();
        QVERIFY2(qAbs(rate - frameRate) < 0.01, qPrintable(QString::number(rate)));
        const int macroblocks = ((width + 15) / 16) * ((height + 15) / 16);
        QVERIFY(macroblocks <= limits->macroblocks);
        QVERIFY2(macroblocks * rate <= limits->macroblocksPerSecond,
                 qPrintable(QString::number(macroblocks * rate)));
        const double kbit = video.value("BitRate").toDouble() / 1000;
        QVERIFY2(kbit > 0 && kbit <= limits->kbitPerSecond * 1.05,
                 qPrintable(QString("%1 kbit/s").arg(kbit)));

        // What the outputs had before: brand, whole range, the type's sound.
        QCOMPARE(general.value("CodecID").toString(), outputType == 2 ? "3g2a" : "3gp4");
        QVERIFY(qAbs(general.value("Duration").toDouble() - ClipSeconds) <= 0.5);
        if (outputType == 0) {
            QCOMPARE(audio.value("Format").toString(), QString("AMR"));
            QCOMPARE(audio.value("Format_Profile").toString(), QString("Narrow band"));
            QCOMPARE(audio.value("SamplingRate").toInt(), 8000);
            QCOMPARE(audio.value("Channels").toInt(), 1);
        } else {
            QCOMPARE(audio.value("Format").toString(), QString("AAC"));
            QCOMPARE(audio.value("Format_AdditionalFeatures").toString(), QString("LC"));
        }
    }
};

QTEST_GUILESS_MAIN(TestProfileLevels)
#include "tst_profilelevels.moc"
