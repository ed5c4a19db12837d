#include "enginefixture.h"

#include "beepclip.h"
#include "engine/outputtypes.h"
#include "engine/profilelist.h"

#include <QHash>
#include <QTest>

#include <cmath>

// Every shipped profile on a clip whose shade steps with a beep each second, decoded back:
// the output starts on the picture at Begin, keeps picture and sound in step, and has the
// frames and track lengths that the range and the profile's rate give.
class TestProfileSync : public QObject
{
    Q_OBJECT

private:
    static constexpr double ClipSeconds = 7;

    QTemporaryDir m_media;
    QHash<QString, QString> m_clips; // by rate and B-frames, made when a row first needs it

    // Empty, with ffmpeg's output in log, when the clip cannot be made.
    QString Clip(const QString &rate, int bFrames, QString &log)
    {
        const QString key = QStringLiteral("%1 fps, %2 B").arg(rate).arg(bFrames);
        if (!m_clips.contains(key)) {
            const QString path = m_media.filePath(QString(key).replace('/', '_') + ".mp4");
            if (!BeepClip::Make(path, ClipSeconds, rate, bFrames, &log))
                return {};
            m_clips.insert(key, path);
        }
        return m_clips.value(key);
    }

private slots:
    void pictureAndSoundStayInStep_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("profile");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<int>("bFrames");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        // One source per row, chosen so that the rows together cover every rate with and
        // without B-frames (5 and 2 are coprime), trimmed and whole; the second row, the AMR
        // type's default, is the camera case: 25 fps with B-frames, 2 to 6 s.
        const QStringList rates{"24000/1001", "25", "30000/1001", "30", "60"};
        ProfileCatalog catalog;
        int row = 0;
        for (int type = 0; type < int(profileFileTable.size()); ++type) {
            const auto list = LoadProfileList(catalog, MIVARTEL_SOURCE_DIR "/app", type);
            QVERIFY(list && !list->titles.isEmpty());
            for (int k = 0; k < list->titles.size(); ++k, ++row) {
                const QString rate = rates.at(row % rates.size());
                const int bFrames = row % 2 == 1 ? 3 : 0;
                const bool whole = row % 3 == 2;
                QTest::addRow("%d: %s; %s fps, %d B, %s",
                              type,
                              qPrintable(list->titles.at(k).section(',', 0, 0)),
                              qPrintable(rate),
                              bFrames,
                              whole ? "whole" : "2-6 s")
                    << type << k << rate << bFrames << (whole ? 0 : 2)
                    << (whole ? int(ClipSeconds) : 6);
            }
        }
    }
    void pictureAndSoundStayInStep()
    {
        QFETCH(int, type);
        QFETCH(int, profile);
        QFETCH(QString, rate);
        QFETCH(int, bFrames);
        QFETCH(int, begin);
        QFETCH(int, end);
        QString log;
        const QString source = Clip(rate, bFrames, log);
        QVERIFY2(!source.isEmpty(), qPrintable(log));

        EngineFixture f;
        f.UseShippedProfile(type, profile);
        ConversionJob job = ConversionJob::ForSource(source, ClipSeconds);
        job.beginTime = begin;
        job.endTime = end;
        f.state.jobs.append(job);
        f.Run();
        job = f.state.jobs.copyOut(0);
        QVERIFY2(job.finished == 1, qPrintable(job.failureReason));
        const BeepClip::Timeline out = BeepClip::Read(f.state.outputDirectory + job.outputName + '.'
                                                      + profileFileTable[size_t(type)].extension);
        QVERIFY2(out.problem.isEmpty(), qPrintable(out.problem));
        QVERIFY(out.frameRate > 0 && !out.pictureSeconds.isEmpty());

        const double range = end - begin;
        const double frame = 1 / out.frameRate;
        // Every picture is one of the source's, and the first is the one at Begin.
        QVERIFY2(!out.pictureSeconds.contains(-1), "a picture of no shade of the source");
        QCOMPARE(out.pictureSeconds.first(), begin);
        QCOMPARE(out.pictureSeconds.last(), end - 1);
        const int frames = int(out.pictureTimes.size());
        QVERIFY2(std::abs(frames - std::round(range * out.frameRate)) <= 1,
                 qPrintable(QStringLiteral("%1 frames at %2 fps").arg(frames).arg(out.frameRate)));
        QVERIFY2(std::abs(out.videoDuration - range) <= frame,
                 qPrintable(QString::number(out.videoDuration)));
        QVERIFY2(std::abs(out.audioDuration - range) <= frame,
                 qPrintable(QString::number(out.audioDuration)));

        // Each change of shade comes with its beep, within half an output frame.
        const QList<double> lateness = BeepClip::PictureLateness(out, begin);
        QCOMPARE(lateness.size(), qsizetype(range) - 1);
        for (const double late : lateness)
            QVERIFY2(std::abs(late) <= frame / 2,
                     qPrintable(QStringLiteral("picture %1 ms after its sound, frame %2 ms")
                                    .arg(late * 1000, 0, 'f', 1)
                                    .arg(frame * 1000, 0, 'f', 1)));
    }
};

QTEST_GUILESS_MAIN(TestProfileSync)
#include "tst_profilesync.moc"
