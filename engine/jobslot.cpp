#include "engine/jobslot.h"

#include <csignal>

namespace {

void SignalGroup(qint64 group, int signal)
{
    if (group > 0)
        ::kill(-pid_t(group), signal);
}

} // namespace

void JobSlot::SetSuspended(bool suspend)
{
    const QMutexLocker lock(&m_lock);
    m_suspended = suspend;
    // Each child leads a process group of its own (setsid): whatever it started stops too.
    for (const qint64 group : m_groups)
        SignalGroup(group, suspend ? SIGSTOP : SIGCONT);
}

bool JobSlot::suspended() const
{
    const QMutexLocker lock(&m_lock);
    return m_suspended;
}

void JobSlot::PublishChild(Child child, qint64 group)
{
    const QMutexLocker lock(&m_lock);
    m_groups[int(child)] = group;
    if (m_suspended)
        SignalGroup(group, SIGSTOP);
}

void JobSlot::ClearChild(Child child)
{
    const QMutexLocker lock(&m_lock);
    m_groups[int(child)] = 0;
}

void JobSlot::SignalChild(Child child, int signal) const
{
    const QMutexLocker lock(&m_lock);
    SignalGroup(m_groups[int(child)], signal);
}

qint64 JobSlot::ChildId(Child child) const
{
    const QMutexLocker lock(&m_lock);
    return m_groups[int(child)];
}
