#pragma once

#include <QList>
#include <QString>

// One job as the console's progress shows it.
struct JobProgressText
{
    int number = 0;   // 1-based place in the list of jobs
    int count = 0;    // jobs in the list
    QString source;   // the file name
    QString progress; // the Progress cell's text, or the word of an event
};

// "[2/3] b.mp4: 00:00:04 0.05MB 25.00Frames/s %66", runs of blanks in the progress made one.
QString ProgressPiece(const JobProgressText &job);

// The running jobs' pieces joined by two blanks, then timeLeft ("  (about 4 min left)" or
// empty), fitted into a terminal line of the given columns short of its last column, where some
// terminals wrap. Until the line fits, the longest piece that can gives way a step: the words
// between the first and the last of its progress, then the first, then the end of its file
// name, down to four letters; then the line's end is cut. The time left stays whole while it
// takes at most half the line; on a narrower one it is left out.
QString FitProgressLine(const QList<JobProgressText> &jobs, const QString &timeLeft, int columns);
