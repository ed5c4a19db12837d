#include "cli/consolefrontend.h"
#include "engine/terminationsignals.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(MIVARTEL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleFrontEnd frontEnd(QCoreApplication::applicationDirPath(), out, err);

    // Ctrl-C stops the batch, which deletes the running jobs' partial files. A second one
    // during that clean-up ends the console at once; its encoders die with it.
    const TerminationSignals interrupts([&frontEnd] { frontEnd.Stop(); },
                                        TerminationSignals::SecondSignal::EndProcess);
    if (!interrupts.isCatching())
        return ConsoleFrontEnd::UsageError;

    return frontEnd.Run(QCoreApplication::arguments().mid(1));
}
