#include "cli/progressline.h"

#include <QStringList>

namespace {

// Plain dots: a log or a terminal without UTF-8 shows them as they are.
const QString Ellipsis = QStringLiteral("...");
const QString Separator = QStringLiteral("  ");
// A file name is not cut shorter than this, so that its start still says which file it is.
constexpr int ShortestName = 4;

QString Piece(const JobProgressText &job, const QString &source, const QStringList &words)
{
    QString piece = QStringLiteral("[%1/%2] %3").arg(job.number).arg(job.count).arg(source);
    if (!words.isEmpty())
        piece += QStringLiteral(": ") + words.join(QLatin1Char(' '));
    return piece;
}

QStringList Words(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString CutEnd(const QString &text, int room)
{
    if (text.size() <= room)
        return text;
    if (room <= Ellipsis.size())
        return text.left(room);
    return text.left(room - Ellipsis.size()) + Ellipsis;
}

// A job's piece as it gives way, one step at a time.
struct Shrinking
{
    const JobProgressText *job;
    QString source;
    QStringList words;
    qsizetype letters = -1; // of the file name, kept before the dots; -1: all of them

    QString Text() const { return Piece(*job, source, words); }

    // False when nothing is left to give.
    bool Shrink()
    {
        // The running figures read "time size speed percent". What says least goes first: the
        // speed, the size, the time; then the end of the file name. The percent stays.
        if (words.size() > 2) {
            words.removeAt(words.size() - 2);
            return true;
        }
        if (words.size() == 2) {
            words.removeFirst();
            return true;
        }
        // The first cut pays only when the dots take less room than the letters they replace.
        const qsizetype fewer
            = letters < 0 ? job->source.size() - Ellipsis.size() - 1 : letters - 1;
        if (fewer < ShortestName)
            return false;
        letters = fewer;
        source = job->source.left(letters) + Ellipsis;
        return true;
    }
};

} // namespace

QString ProgressPiece(const JobProgressText &job)
{
    return Piece(job, job.source, Words(job.progress));
}

QString FitProgressLine(const QList<JobProgressText> &jobs, const QString &timeLeft, int columns)
{
    const int room = qMax(1, columns - 1);
    QList<Shrinking> pieces;
    for (const JobProgressText &job : jobs)
        pieces.append({&job, job.source, Words(job.progress)});
    const auto joined = [&pieces] {
        QStringList texts;
        for (const Shrinking &piece : std::as_const(pieces))
            texts.append(piece.Text());
        return texts.join(Separator);
    };
    if (joined().size() + timeLeft.size() <= room)
        return joined() + timeLeft;
    const QString tail = timeLeft.size() <= room / 2 ? timeLeft : QString();

    // The longest piece that can still give way gives a step, until the line fits.
    QList<bool> spent(pieces.size(), false);
    while (joined().size() + tail.size() > room) {
        int longest = -1;
        for (int i = 0; i < pieces.size(); ++i) {
            if (!spent.at(i)
                && (longest < 0 || pieces.at(i).Text().size() > pieces.at(longest).Text().size()))
                longest = i;
        }
        if (longest < 0)
            break;
        spent[longest] = !pieces[longest].Shrink();
    }
    return CutEnd(joined(), int(room - tail.size())) + tail;
}
