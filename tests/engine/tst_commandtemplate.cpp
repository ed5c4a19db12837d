#include "engine/commandtemplate.h"

#include <QTest>

class TestCommandTemplate : public QObject
{
    Q_OBJECT

private:
    static ConversionJob Job(const QString &source, double begin, double end)
    {
        ConversionJob job = ConversionJob::ForSource(source, end);
        job.beginTime = begin;
        return job;
    }
    static QDateTime Noon() { return QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)); }

private slots:
    void clockTime_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "00:00:00";
        QTest::newRow("fraction cut") << 59.99 << "00:00:59";
        QTest::newRow("hour and more") << 3725.9 << "01:02:05";
        QTest::newRow("hundred hours") << 360000.0 << "100:00:00";
        // Found by fuzzing: a time beyond any clip, or none at all, must not overflow.
        QTest::newRow("not a number") << qQNaN() << "00:00:00";
        QTest::newRow("infinite") << qInf() << "00:00:00";
        QTest::newRow("beyond long long") << 9.14344e+102 << "277777777777:46:40";
    }
    void clockTime()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(ClockTime(seconds), text);
    }

    void splitCommandLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("blanks") << "ffmpeg  -i   a.avi" << QStringList{"ffmpeg", "-i", "a.avi"};
        QTest::newRow("quotes group") << "x \"a b\" c" << QStringList{"x", "a b", "c"};
        QTest::newRow("quotes inside a word")
            << "x -metadata \"title=A B\"z" << QStringList{"x", "-metadata", "title=A Bz"};
        QTest::newRow("empty quoted argument") << "x \"\" y" << QStringList{"x", "", "y"};
        QTest::newRow("escaped quote") << R"(x a\"b)" << QStringList{"x", "a\"b"};
        QTest::newRow("backslashes kept")
            << R"(x C:\dir\file)" << QStringList{"x", R"(C:\dir\file)"};
        QTest::newRow("tabs and trailing blank") << "a\tb " << QStringList{"a", "b"};
        QTest::newRow("nothing") << "   " << QStringList{};
    }
    void splitCommandLine()
    {
        QFETCH(QString, line);
        QFETCH(QStringList, arguments);
        QCOMPARE(SplitCommandLine(line), arguments);
    }

    // The begin is cut to its second and the length reaches the end's second, so that the
    // output covers the whole range the time cells show.
    void expandsTimesOfTheRange_data()
    {
        QTest::addColumn<double>("begin");
        QTest::addColumn<double>("end");
        QTest::addColumn<QString>("startAndLength");
        QTest::newRow("fractions at both ends") << 3725.9 << 3800.2 << "01:02:05 00:01:16";
        QTest::newRow("hundred hours") << 0.0 << 360000.0 << "00:00:00 100:00:00";
        QTest::newRow("cells 1 and 6 while dragging") << 1.9 << 6.1 << "00:00:01 00:00:06";
        QTest::newRow("to a source's fractional end") << 2.0 << 8.0457 << "00:00:02 00:00:07";
        QTest::newRow("float noise on a whole end") << 1.0 << 6.0000000001 << "00:00:01 00:00:05";
        QTest::newRow("clip under a second") << 0.0 << 0.6 << "00:00:00 00:00:01";
        QTest::newRow("empty range") << 4.0 << 4.0 << "00:00:04 00:00:00";
    }
    void expandsTimesOfTheRange()
    {
        QFETCH(double, begin);
        QFETCH(double, end);
        const QStringList args
            = ExpandCommand("-ss $START -t $LENGTH", Job("/v/a.avi", begin, end), "/out/", Noon());
        QCOMPARE(args.size(), 4);
        QTEST(args[1] + ' ' + args[3], "startAndLength");
    }

    void expandsEveryVariableEveryTime()
    {
        const QStringList args = ExpandCommand(
            "tool \"$INPUT_FILE\" $OUTPUT_DIR$OUTPUT_FILE_temp.3gp \"$TIMESTAMP\" $START$START",
            Job("/my videos/clip one.avi", 61, 70),
            "/out dir/",
            Noon());
        QCOMPARE(args,
                 (QStringList{"tool",
                              "/my videos/clip one.avi",
                              "/out dir/clip one_temp.3gp",
                              "2026-03-04 05:06:07",
                              "00:01:0100:01:01"}));
    }

    // A value is substituted once and stays one argument, whatever it holds.
    void substitutedValuesAreNeverReexpandedOrSplit()
    {
        ConversionJob job = Job("/v/clip $LENGTH \"x\" $OUTPUT_DIR.avi", 0, 10);
        const QStringList args = ExpandCommand(
            "ffmpeg -i \"$INPUT_FILE\" -y \"$OUTPUT_FILE.3gp\"", job, "/o/", Noon());
        QCOMPARE(args,
                 (QStringList{"ffmpeg",
                              "-i",
                              "/v/clip $LENGTH \"x\" $OUTPUT_DIR.avi",
                              "-y",
                              "clip $LENGTH \"x\" $OUTPUT_DIR.3gp"}));
    }

    // The values the program chooses: an argument they leave empty is dropped, never passed as
    // "", and $AUDIO_FILTER alone stands for its option and filter. A template without them,
    // a user's own, comes out as before.
    void programValuesAndEmptyArguments_data()
    {
        QTest::addColumn<QString>("commandTemplate");
        QTest::addColumn<int>("kbps");
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<QStringList>("arguments");
        const QStringList loud{"-af", "loudnorm=I=-16"};
        QTest::newRow("rate given") << "x -b:v $VIDEO_BITRATEk y" << 61 << QStringList()
                                    << QStringList{"x", "-b:v", "61k", "y"};
        QTest::newRow("no rate: dropped")
            << "x \"$VIDEO_BITRATE\" y" << 0 << QStringList() << QStringList{"x", "y"};
        QTest::newRow("filter on") << "x $AUDIO_FILTER -c:a aac" << 0 << loud
                                   << QStringList{"x", "-af", "loudnorm=I=-16", "-c:a", "aac"};
        QTest::newRow("filter off: dropped")
            << "x $AUDIO_FILTER -c:a aac" << 0 << QStringList() << QStringList{"x", "-c:a", "aac"};
        QTest::newRow("filter inside a word")
            << "x [$AUDIO_FILTER]" << 0 << loud << QStringList{"x", "[-af loudnorm=I=-16]"};
        QTest::newRow("a user's empty argument stays")
            << "x \"\" -c:a aac" << 0 << loud << QStringList{"x", "", "-c:a", "aac"};
    }
    void programValuesAndEmptyArguments()
    {
        QFETCH(QString, commandTemplate);
        QFETCH(int, kbps);
        QFETCH(QStringList, filter);
        QFETCH(QStringList, arguments);
        const CommandValues values{kbps, filter};
        QCOMPARE(ExpandCommand(commandTemplate, Job("/v/a.avi", 0, 10), "/o/", Noon(), values),
                 arguments);
    }

    void finishedIntermediateIsReadFromItsStart()
    {
        ConversionJob job = Job("/v/movie.rm", 10, 70);
        job.intermediatePath = "/prog/movie_12345.avi";
        job.stage = 1;
        const QString commandTemplate = "ffmpeg -ss $START -t $LENGTH -i $INPUT_FILE";
        QCOMPARE(ExpandCommand(commandTemplate, job, "/o/", Noon()),
                 (QStringList{
                     "ffmpeg", "-ss", "00:00:00", "-t", "00:01:00", "-i", job.intermediatePath}));
        // Before the export finished (stage 0), and for other sources, the source is read.
        job.stage = 0;
        QCOMPARE(ExpandCommand(commandTemplate, job, "/o/", Noon()).mid(2),
                 (QStringList{"00:00:10", "-t", "00:01:00", "-i", "/v/movie.rm"}));
    }
};

QTEST_GUILESS_MAIN(TestCommandTemplate)
#include "tst_commandtemplate.moc"
