#include "enginefixture.h"

#include "engine/outputtypes.h"
#include "engine/profilelist.h"
#include "testmedia.h"

#include <QFileInfo>
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
    QString m_landscape;
    QString m_portrait;

    struct Limits
    {
        int macroblocks, macroblocksPerSecond, kbitPerSecond;
    };

    // Converts the whole source with one shipped profile, the loudness evened out when asked,
    // and returns the output's path; problem says why when the job did not finish or wrote to
    // the log.
    static QString Convert(const QString &source,
                           double seconds,
                           int type,
                           int profile,
                           QString &problem,
                           bool evenLoudness = false)
    {
        EngineFixture f;
        f.UseShippedProfile(type, profile);
        f.state.evenLoudness = evenLoudness;
        f.state.jobs.append(ConversionJob::ForSource(source, seconds));
        f.Run();
        const ConversionJob job = f.state.jobs.copyOut(0);
        problem = job.finished == 1 ? f.LogText() : "not finished: " + job.failureReason;
        // The output folder goes with the fixture: keep the file beside the sources.
        const QString output = f.state.outputDirectory + job.outputName + '.'
                               + profileFileTable[size_t(type)].extension;
        const QString kept = QFileInfo(source).path() + "/out-" + QString::number(type) + '-'
                             + QString::number(profile) + '.'
                             + profileFileTable[size_t(type)].extension;
        QFile::remove(kept);
        QFile::rename(output, kept);
        return kept;
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
        // Flat grey, so that any black along an edge is a band the profile added. The portrait
        // clip is the same picture stored sideways, as a phone's camera stores it, with the
        // rotation that shows it upright.
        m_landscape = m_media.filePath("landscape.mp4");
        QVERIFY2(
            TestMedia::MakeLavfiClip(m_landscape,
                                     "color=c=0xC0C0C0:size=1280x720:rate=30:duration=3",
                                     "sine=frequency=440:sample_rate=44100:duration=3",
                                     {"-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"},
                                     &log),
            qPrintable(log));
        m_portrait = m_media.filePath("portrait.mp4");
        QVERIFY2(
            TestMedia::Remux(m_landscape, m_portrait, {}, {"-metadata:s:v:0", "rotate=90"}, &log),
            qPrintable(log));
        QCOMPARE(TestMedia::ProbeValues(m_portrait, "stream_side_data=rotation", "rotation"),
                 QStringList{"90"});
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
            = QRegularExpression(
                  R"((\d+)x(\d+)(?: or \d+x\d+)? (H\.263|MPEG-4 SP|H\.264 CBL) level ([\w.]+), )"
                  R"((\d+) fps, )"
                  R"((AMR-NB|AAC-LC mono|AAC-LC stereo) [\d.]+ kbit/s$)")
                  .match(title);
        QVERIFY2(claim.hasMatch(), qPrintable(title));
        // ITU-T H.263 Annex X (Profile 0), ISO/IEC 14496-2 Annex N (Simple Profile) and
        // ITU-T H.264 Table A-1 (Constrained Baseline counts bits in thousands).
        static const QHash<QString, Limits> levels{
            {"H.263 BaseLine@1.0", {99, 1485, 64}},
            {"H.263 BaseLine@2.0", {396, 5940, 128}},
            {"H.263 BaseLine@3.0", {396, 11880, 384}},
            {"H.263 BaseLine@4.5", {99, 1485, 128}},
            {"MPEG-4 Visual Simple@0", {99, 1485, 64}},
            {"MPEG-4 Visual Simple@0b", {99, 1485, 128}},
            {"MPEG-4 Visual Simple@1", {99, 1485, 64}},
            {"MPEG-4 Visual Simple@2", {396, 5940, 128}},
            {"MPEG-4 Visual Simple@3", {396, 11880, 384}},
            {"AVC Constrained Baseline@1.3", {396, 11880, 768}}};
        const QString codec = claim.captured(3);
        const bool h263 = codec == "H.263", h264 = codec == "H.264 CBL";
        const QString level = h263   ? "H.263 BaseLine@" + claim.captured(4).insert(1, '.')
                              : h264 ? "AVC Constrained Baseline@" + claim.captured(4)
                                     : "MPEG-4 Visual Simple@" + claim.captured(4);
        QVERIFY2(levels.contains(level), qPrintable(level));

        QString problem;
        const QString output = Convert(m_clip, 10, type, profile, problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        const QList<QVariantMap> tracks = TestMedia::MediaInfoTracks(output);
        QHash<QString, QVariantMap> track;
        for (const QVariantMap &t : tracks)
            track.insert(t.value("@type").toString(), t);
        const QVariantMap video = track.value("Video");

        QCOMPARE(video.value("Format").toString() + ' ' + video.value("Format_Profile").toString()
                     + '@' + video.value("Format_Level").toString(),
                 level);
        const int width = video.value("Width").toInt(), height = video.value("Height").toInt();
        QCOMPARE(QString("%1x%2").arg(width).arg(height),
                 claim.captured(1) + 'x' + claim.captured(2));
        // H.263 counts on its own clock of 30000/1001 Hz: "15 fps" is every second tick.
        const double rate = video.value("FrameRate").toDouble();
        const double titleRate = claim.captured(5).toDouble();
        QVERIFY2(qAbs(rate - (h263 && titleRate == 15 ? 15000.0 / 1001 : titleRate)) < 0.01,
                 qPrintable(QString::number(rate)));
        const Limits limits = levels.value(level);
        const int macroblocks = (width + 15) / 16 * ((height + 15) / 16);
        QVERIFY(macroblocks <= limits.macroblocks);
        QVERIFY(macroblocks * rate <= limits.macroblocksPerSecond);
        // Measured from the stream's size: for H.264, mediainfo's BitRate is the rate asked of
        // the encoder.
        const double kbit
            = video.value("StreamSize").toDouble() * 8 / video.value("Duration").toDouble() / 1000;
        QVERIFY2(kbit > 0 && kbit <= limits.kbitPerSecond * 1.05,
                 qPrintable(QString::number(kbit)));

        // ffprobe, a second reader, agrees on size, brand, and profile and level where the
        // stream itself signals them (H.263's level is in the container alone).
        const auto probed = [&](const QString &key) {
            return TestMedia::ProbeValues(
                       output, "stream=width,height,profile,level:format_tags", key)
                .value(0);
        };
        QCOMPARE(probed("width") + 'x' + probed("height"),
                 claim.captured(1) + 'x' + claim.captured(2));
        QCOMPARE(probed("TAG:major_brand"), type == 2 ? "3g2a" : h264 ? "3gp6" : "3gp4");
        if (!h263) {
            // FFmpeg reads MPEG-4 level 0b as 9 and H.264 level 1.3 as 13.
            const QString written = h264                        ? claim.captured(4).remove('.')
                                    : claim.captured(4) == "0b" ? "9"
                                                                : claim.captured(4);
            QCOMPARE(probed("profile") + '@' + probed("level"),
                     (h264 ? "Constrained Baseline@" : "Simple Profile@") + written);
        }

        // What the outputs had before: the brand, the whole range, the type's sound. H.264
        // came into 3GP with Release 6.
        QCOMPARE(track["General"].value("CodecID").toString(), probed("TAG:major_brand"));
        QVERIFY(qAbs(track["General"].value("Duration").toDouble() - 10) <= 0.5);
        const QVariantMap audio = track.value("Audio");
        const QString sound = claim.captured(6) == "AMR-NB"        ? "AMR Narrow band 8000 1"
                              : claim.captured(6).endsWith("mono") ? "AAC LC 1"
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

    // The screens of phones without a smartphone system: a portrait screen letterboxes a
    // landscape source and is filled by a portrait one (trimmed top and bottom when taller),
    // a landscape screen the other way round; the output is upright, with no rotation left for
    // the phone to apply twice, and GStreamer's decoders play all of it.
    void screensFrameTheSourceAndPlay_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("titleStart");
        QTest::addColumn<bool>("portraitSource");
        QTest::addColumn<bool>("bandsAboveAndBelow");
        QTest::addColumn<bool>("bandsBeside");
        for (const QString screen : {"Portrait 240x320", "Portrait 128x160"}) {
            QTest::addRow("%s, landscape source", qPrintable(screen))
                << 0 << screen << false << true << false;
            QTest::addRow("%s, portrait source", qPrintable(screen))
                << 0 << screen << true << false << false;
        }
        QTest::newRow("KaiOS 320x240, landscape source") << 1 << "KaiOS" << false << true << false;
        QTest::newRow("KaiOS 320x240, portrait source") << 1 << "KaiOS" << true << false << true;
    }
    void screensFrameTheSourceAndPlay()
    {
        QFETCH(int, type);
        QFETCH(QString, titleStart);
        QFETCH(bool, portraitSource);
        QFETCH(bool, bandsAboveAndBelow);
        QFETCH(bool, bandsBeside);
        ProfileCatalog catalog;
        const auto list = LoadProfileList(catalog, MIVARTEL_SOURCE_DIR "/app", type);
        QVERIFY(list);
        int profile = list->titles.size() - 1;
        while (profile >= 0 && !list->titles.at(profile).startsWith(titleStart))
            --profile;
        QVERIFY2(profile >= 0, qPrintable(titleStart));
        const QRegularExpressionMatch size
            = QRegularExpression(R"( - (\d+)x(\d+) )").match(list->titles.at(profile));
        QVERIFY(size.hasMatch());

        QString problem;
        const QString output
            = Convert(portraitSource ? m_portrait : m_landscape, 3, type, profile, problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(TestMedia::Probe(output, "stream_side_data=rotation"), QString());
        // The middle quarter of each edge, a tenth of the picture deep: black (luma 16) inside a
        // band, the grey of the source (about 180) where the picture reaches the edge.
        const int frames = TestMedia::FrameLumas(output).size();
        QVERIFY(frames >= 40);
        const auto edge = [&](const QString &area, bool band) {
            const QList<double> lumas = TestMedia::FrameLumas(output, area);
            if (lumas.size() != frames)
                return QString("%1: %2 frames").arg(area).arg(lumas.size());
            for (double luma : lumas) {
                if (band ? luma > 40 : luma < 120)
                    return QString("%1: luma %2").arg(area).arg(luma);
            }
            return QString();
        };
        QCOMPARE(edge("iw/4:ih/10:iw*3/8:0", bandsAboveAndBelow), QString());
        QCOMPARE(edge("iw/4:ih/10:iw*3/8:ih*9/10", bandsAboveAndBelow), QString());
        QCOMPARE(edge("iw/10:ih/4:0:ih*3/8", bandsBeside), QString());
        QCOMPARE(edge("iw/10:ih/4:iw*9/10:ih*3/8", bandsBeside), QString());

        // Every picture, of the title's size, and all the sound.
        const TestMedia::GStreamerPlayback played = TestMedia::PlayWithGStreamer(
            output, size.captured(1).toInt(), size.captured(2).toInt());
        QCOMPARE(played.exitCode, 0);
        QCOMPARE(played.pictures, frames);
        QVERIFY2(qAbs(played.soundSeconds - 3) < 0.1,
                 qPrintable(QString::number(played.soundSeconds)));
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
        const QString output = Convert(m_song, 4, type, profile, problem, true);
        const TestMedia::Loudness loudness = TestMedia::MeasureLoudness(output);
        const QList<QVariantMap> tracks = TestMedia::MediaInfoTracks(output);
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
