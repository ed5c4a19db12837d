#include "engine/childprocess.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

void SetUpOwnedChild(QProcess &process)
{
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::setsid();
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // We may have died before prctl took effect.
        if (::getppid() != parent)
            ::raise(SIGKILL);
    });
}
