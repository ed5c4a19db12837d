#include "cli/consolefrontend.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int interruptPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up and stops the batch.
void OnInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(interruptPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(MIVARTEL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    ConsoleFrontEnd frontEnd(QCoreApplication::applicationDirPath(), out, err);

    if (::pipe(interruptPipe) != 0)
        return ConsoleFrontEnd::UsageError;
    QSocketNotifier interrupt(interruptPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupt, &QSocketNotifier::activated, [&frontEnd] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(interruptPipe[0], &byte, 1);
        frontEnd.Stop();
    });
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    return frontEnd.Run(QCoreApplication::arguments().mid(1));
}
