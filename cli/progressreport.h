#pragma once

#include "cli/progressline.h"

#include <QString>

class QTextStream;

// Where the console shows the batch's progress. On a terminal: one line, rewritten in place
// and fitted to the terminal's width. Elsewhere (a pipe, a file, a cron job's mail): one line
// per job that starts or ends, and never a carriage return.
class ProgressReport
{
public:
    // err writes to the file descriptor fd.
    ProgressReport(QTextStream &err, int fd);

    bool onTerminal() const { return m_terminal; }
    // On a terminal: the running jobs take the progress line, in place of what it showed.
    void ShowRunning(const QList<JobProgressText> &jobs, const QString &timeLeft);
    // Elsewhere: one line for a job that started or ended, its progress the event's word.
    void ShowEvent(const JobProgressText &job, const QString &timeLeft);
    // Ends the progress line, so that whatever follows starts a line of its own.
    void EndLine();

    // The width of the terminal on fd: its window size, else $COLUMNS, else 80.
    static int Columns(int fd);

private:
    QTextStream &m_err;
    int m_fd;
    bool m_terminal;
    QString m_line; // what the progress line shows now
};
