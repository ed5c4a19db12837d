#include "cli/progressline.h"

#include <QTest>

Q_DECLARE_METATYPE(QList<JobProgressText>)

// The console's progress line on a terminal: whatever the jobs say, one line that does not
// wrap, the time left at its end.
class TestProgressLine : public QObject
{
    Q_OBJECT

private slots:
    void fitsTheTerminal_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<QList<JobProgressText>>("jobs");
        QTest::addColumn<QString>("timeLeft");
        QTest::addColumn<QString>("line");

        // The Progress cell's text while the first pass runs, blanks and all.
        const QString holidayFigures = "00:00:04    0.05MB    25.00Frames/s      %66 ";
        const QString clipFigures = "00:00:01    0.01MB    12.50Frames/s      %9 ";
        const JobProgressText holiday{1, 2, "holiday.mp4", holidayFigures};
        const JobProgressText clip{2, 2, "clip.mp4", clipFigures};
        const QString minutes = "  (about 4 min left)";

        QTest::newRow("one job, blanks made one")
            << 80 << QList<JobProgressText>{{1, 1, "clip.mp4", holidayFigures}} << QString()
            << "[1/1] clip.mp4: 00:00:04 0.05MB 25.00Frames/s %66";
        QTest::newRow("one job and the time left")
            << 80 << QList<JobProgressText>{{1, 1, "clip.mp4", holidayFigures}} << minutes
            << "[1/1] clip.mp4: 00:00:04 0.05MB 25.00Frames/s %66  (about 4 min left)";
        QTest::newRow("a job without figures yet")
            << 80 << QList<JobProgressText>{{1, 3, "b.mp4", ""}} << QString() << "[1/3] b.mp4";
        QTest::newRow("buffering")
            << 80 << QList<JobProgressText>{{2, 2, "realclip.rm", "Buffering  45.00%"}} << QString()
            << "[2/2] realclip.rm: Buffering 45.00%";
        QTest::newRow("two jobs, wide enough")
            << 140 << QList<JobProgressText>{holiday, clip} << minutes
            << "[1/2] holiday.mp4: 00:00:04 0.05MB 25.00Frames/s %66  "
               "[2/2] clip.mp4: 00:00:01 0.01MB 12.50Frames/s %9  (about 4 min left)";
        // The speed goes first, from the longer piece.
        QTest::newRow("two jobs in 120 columns")
            << 120 << QList<JobProgressText>{holiday, clip} << minutes
            << "[1/2] holiday.mp4: 00:00:04 0.05MB %66  "
               "[2/2] clip.mp4: 00:00:01 0.01MB 12.50Frames/s %9  (about 4 min left)";
        QTest::newRow("two jobs in 80 columns, no time left")
            << 80 << QList<JobProgressText>{holiday, clip} << QString()
            << "[1/2] holiday.mp4: 00:00:04 0.05MB %66  [2/2] clip.mp4: 00:00:01 0.01MB %9";
        // Then the sizes, then the time of the longer piece.
        QTest::newRow("two jobs in 80 columns with the time left")
            << 80 << QList<JobProgressText>{holiday, clip} << minutes
            << "[1/2] holiday.mp4: %66  [2/2] clip.mp4: 00:00:01 %9  (about 4 min left)";
        QTest::newRow("a long file name")
            << 60
            << QList<JobProgressText>{{1,
                                       1,
                                       "a_very_long_name_of_a_holiday_film.mp4",
                                       holidayFigures}}
            << "  (about 1 h 5 min left)"
            << "[1/1] a_very_long_name_of_a...: %66  (about 1 h 5 min left)";
        // The file names down to four letters, then the end of the line.
        QTest::newRow("three jobs in 80 columns")
            << 80
            << QList<JobProgressText>{{1, 3, "holiday.mp4", holidayFigures},
                                      {2, 3, "clip.mp4", clipFigures},
                                      {3, 3, "c.mp4", "Exporting"}}
            << minutes
            << "[1/3] holi...: %66  [2/3] clip...: %9  [3/3] c.mp4: Expo...  "
               "(about 4 min left)";
        // Too narrow for both: the job is worth more than the time left.
        QTest::newRow("narrow terminal")
            << 30 << QList<JobProgressText>{{1, 1, "clip.mp4", holidayFigures}} << minutes
            << "[1/1] clip.mp4: 00:00:04 %66";
    }
    void fitsTheTerminal()
    {
        QFETCH(int, columns);
        QFETCH(QList<JobProgressText>, jobs);
        QFETCH(QString, timeLeft);
        QFETCH(QString, line);
        const QString fitted = FitProgressLine(jobs, timeLeft, columns);
        QCOMPARE(fitted, line);
        // Short of the last column, where some terminals wrap at once.
        QVERIFY2(fitted.size() < columns, qPrintable(fitted));
        if (timeLeft.size() <= (columns - 1) / 2)
            QVERIFY(fitted.endsWith(timeLeft));
    }
};

QTEST_APPLESS_MAIN(TestProgressLine)
#include "tst_progressline.moc"
