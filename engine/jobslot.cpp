#include "engine/jobslot.h"

#include <csignal>

void JobSlot::SetSuspended(bool suspend)
{
    // Stored before the groups are read; a runner stores its group before it reads the flag,
    // so one of the two always sees the other and no child escapes the pause.
    suspended = suspend;
    // Each child leads a process group of its own (setsid): whatever it started stops too.
    const int signal = suspend ? SIGSTOP : SIGCONT;
    for (const std::atomic<qint64> *group : {&encoderGroup, &toolGroup}) {
        if (const qint64 id = group->load(); id > 0)
            ::kill(-pid_t(id), signal);
    }
}
