#include "enginefixture.h"

#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "testmedia.h"

#include <QRegularExpression>
#include <QTest>

// Every shipped profile on a hard source (720p with noise that changes every frame), read back
// with mediainfo, an independent reader: the file signals the level that the title names, the
// stream stays inside that level, and size, frame rate and sound are what the title says.
class TestProfileLevels : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_media;
    QString m_clip;
    QString m_song;

    struct Limits
    {
        int macroblocks, macroblocksPerSecond, kbitPerSecond;
    };

    // Converts the whole source with one shipped profile and reads the output back with
    // mediainfo; problem says why when the job did not finish or wrote to the log.
    static QList<QVariantMap> Convert(const QString &source,
                                      double seconds,
                                      int type,
                                      int profile,
                                      QString &problem,
                                      TestMedia::Loudness *loudness = nullptr)
    {
        EngineFixture f;
        f.UseShippedProfile(type, profile);
        f.state.evenLoudness = loudness != nullptr;
        f.state.jobs.append(ConversionJob::ForSource(source, seconds));
        f.Run();
        const ConversionJob job = f.state.jobs.copyOut(0);
        problem = job.finished == 1 ? f.LogText() : "not finished: " + job.failureReason;
        const QString output = f.state.outputDirectory + job.outputName + '.'
                               + profileFileTable[size_t(type)].extension;
        if (loudness)
            *loudness = TestMedia::MeasureLoudness(output);
        return TestMedia::MediaInfoTracks(output);
    }

private slots:
    void initTestCase()
    {
        m_clip = m_media.filePath("noisy 720p.mp4");
        QString log;
        const QStringList noisy{"-vf",
                                "scale=1280:720,noise=alls=30:allf=t+u",
                                "-c:v",
                                "libx264",
                                "-preset",
                                "ultrafast",
                                "-c:a",
                                "aac"};
        QVERIFY2(TestMedia::MakeClip(m_clip, 10, noisy, &log), qPrintable(log));
        m_song = m_media.filePath("song.mp3");
        QVERIFY2(TestMedia::MakeClip(
                     m_song, 4, {"-vn", "-af", "volume=-25dB", "-c:a", "libmp3lame"}, &log),
                 qPrintable(log));
    }

    void everyProfileStaysInsideItsLevel_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("title");
        ProfileCatalog catalog;
        for (int type = 0; type < int(profileFileTable.size()); ++type) {
            const auto list = LoadProfileList(catalog, MIVARTEL_SOURCE_DIR "/app", type);
            QVERIFY(list && list->titles.size() >= 4);
            for (int k = 0; k < list->titles.size(); ++k)
                QTest::addRow("%d: %s", type, qPrintable(list->titles.at(k)))
                    << type << k << list->titles.at(k);
        }
    }
    void everyProfileStaysInsideItsLevel()
    {
        QFETCH(int, type);
        QFETCH(int, profile);
        QFETCH(QString, title);
        // "176x144 H.263 level 45, 15 fps, AAC-LC mono 48 kbit/s"
        const QRegularExpressionMatch claim
            = QRegularExpression(R"((\d+x\d+) (H\.263|MPEG-4 SP) level (\w+), (\d+) fps, )"
                                 R"((AMR-NB|AAC-LC mono|AAC-LC stereo) [\d.]+ kbit/s$)")
                  .match(title);
        QVERIFY2(claim.hasMatch(), qPrintable(title));
        // ITU-T H.263 Annex X (Profile 0) and ISO/IEC 14496-2 Annex N (Simple Profile).
        static const QHash<QString, Limits> levels{{"H.263 BaseLine@1.0", {99, 1485, 64}},
                                                   {"H.263 BaseLine@2.0", {396, 5940, 128}},
                                                   {"H.263 BaseLine@3.0", {396, 11880, 384}},
                                                   {"H.263 BaseLine@4.5", {99, 1485, 128}},
                                                   {"MPEG-4 Visual Simple@0", {99, 1485, 64}},
                                                   {"MPEG-4 Visual Simple@0b", {99, 1485, 128}},
                                                   {"MPEG-4 Visual Simple@1", {99, 1485, 64}},
                                                   {"MPEG-4 Visual Simple@2", {396, 5940, 128}},
                                                   {"MPEG-4 Visual Simple@3", {396, 11880, 384}}};
        const bool h263 = claim.captured(2) == "H.263";
        const QString level = h263 ? "H.263 BaseLine@" + claim.captured(3).insert(1, '.')
                                   : "MPEG-4 Visual Simple@" + claim.captured(3);
        QVERIFY2(levels.contains(level), qPrintable(level));

        QString problem;
        const QList<QVariantMap> tracks = Convert(m_clip, 10, type, profile, problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QHash<QString, QVariantMap> track;
        for (const QVariantMap &t : tracks)
            track.insert(t.value("@type").toString(), t);
        const QVariantMap video = track.value("Video");

        QCOMPARE(video.value("Format").toString() + ' ' + video.value("Format_Profile").toString()
                     + '@' + video.value("Format_Level").toString(),
                 level);
        const int width = video.value("Width").toInt(), height = video.value("Height").toInt();
        QCOMPARE(QString("%1x%2").arg(width).arg(height), claim.captured(1));
        // H.263 counts on its own clock of 30000/1001 Hz: "15 fps" is every second tick.
        const double rate = video.value("FrameRate").toDouble();
        const double titleRate = claim.captured(4).toDouble();
        QVERIFY2(qAbs(rate - (h263 && titleRate == 15 ? 15000.0 / 1001 : titleRate)) < 0.01,
                 qPrintable(QString::number(rate)));
        const Limits limits = levels.value(level);
        const int macroblocks = (width + 15) / 16 * ((height + 15) / 16);
        QVERIFY(macroblocks <= limits.macroblocks);
        QVERIFY(macroblocks * rate <= limits.macroblocksPerSecond);
        const double kbit = video.value("BitRate").toDouble() / 1000;
        QVERIFY2(kbit > 0 && kbit <= limits.kbitPerSecond * 1.05,
                 qPrintable(QString::number(kbit)));

        // What the outputs had before: the brand, the whole range, the type's sound.
        QCOMPARE(track["General"].value("CodecID").toString(), type == 2 ? "3g2a" : "3gp4");
        QVERIFY(qAbs(track["General"].value("Duration").toDouble() - 10) <= 0.5);
        const QVariantMap audio = track.value("Audio");
        const QString sound = claim.captured(5) == "AMR-NB"        ? "AMR Narrow band 8000 1"
                              : claim.captured(5).endsWith("mono") ? "AAC LC 1"
                                                                   : "AAC LC 2";
        const bool amr = audio.value("Format") == "AMR";
        QCOMPARE(QStringList(
                     {audio.value("Format").toString(),
                      audio.value(amr ? "Format_Profile" : "Format_AdditionalFeatures").toString(),
                      amr ? audio.value("SamplingRate").toString() : QString(),
                      audio.value("Channels").toString()})
                     .join(' ')
                     .simplified(),
                 sound);
    }

    // A song has no picture: every profile still makes a file of its sound alone, and no
    // finishing tool takes the missing video for a fault. With the loudness evened out, a quiet
    // song comes out loud enough for a phone's speaker, its peaks clear of clipping.
    void everyProfileConvertsASong_data() { everyProfileStaysInsideItsLevel_data(); }
    void everyProfileConvertsASong()
    {
        QFETCH(int, type);
        QFETCH(int, profile);
        QString problem;
        TestMedia::Loudness loudness;
        const QList<QVariantMap> tracks = Convert(m_song, 4, type, profile, problem, &loudness);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(qAbs(loudness.lufs + 16) <= 2 && loudness.truePeak <= -1.5,
                 qPrintable(QString("%1 LUFS, %2 dBTP").arg(loudness.lufs).arg(loudness.truePeak)));
        QStringList kinds;
        for (const QVariantMap &t : tracks)
            kinds.append(t.value("@type").toString());
        QCOMPARE(kinds, QStringList({"General", "Audio"}));
    }
};

QTEST_GUILESS_MAIN(TestProfileLevels)
#include "tst_profilelevels.moc"
