#include "cli/progressreport.h"

#include <QTextStream>

#include <sys/ioctl.h>
#include <unistd.h>

ProgressReport::ProgressReport(QTextStream &err, int fd)
    : m_err(err)
    , m_fd(fd)
    , m_terminal(::isatty(fd) == 1)
{}

int ProgressReport::Columns(int fd)
{
    struct winsize size = {};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    bool ok = false;
    const int columns = qEnvironmentVariableIntValue("COLUMNS", &ok);
    return ok && columns > 0 ? columns : 80;
}

void ProgressReport::ShowRunning(const QList<JobProgressText> &jobs, const QString &timeLeft)
{
    if (!m_terminal)
        return;
    // Asked every time: the user may have resized the window.
    const QString line = FitProgressLine(jobs, timeLeft, Columns(m_fd));
    if (line == m_line)
        return;
    const QString blanks(qMax<qsizetype>(0, m_line.size() - line.size()), QLatin1Char(' '));
    m_err << '\r' << line << blanks;
    m_err.flush();
    m_line = line;
}

void ProgressReport::ShowEvent(const JobProgressText &job, const QString &timeLeft)
{
    if (m_terminal)
        return;
    m_err << ProgressPiece(job) << timeLeft << '\n';
    m_err.flush();
}

void ProgressReport::EndLine()
{
    if (m_line.isEmpty())
        return;
    m_err << '\n';
    m_err.flush();
    m_line.clear();
}
