// Linked into every executable of the ThreadSanitizer build, and only there.
// Qt 6.4's QProcess starts a child with clone(CLONE_VM | CLONE_VFORK | CLONE_PIDFD), and
// clang 14's ThreadSanitizer aborts on a clone that shares the memory ("CHECK failed ...
// ForkAfter"). Without those two flags the child is an ordinary fork, which it follows; Qt
// learns of a failed exec through its pipe either way. This definition takes the place of
// the runtime's weak clone for the Qt library too; the runtime's own interceptor does the rest.
#include <sched.h>
#include <sys/types.h>

#include <cstdarg>

extern "C" int __interceptor_clone(int (*fn)(void *),
                                   void *stack,
                                   int flags,
                                   void *arg,
                                   pid_t *parentTid,
                                   void *tls,
                                   pid_t *childTid);

extern "C" int clone(int (*fn)(void *), void *stack, int flags, void *arg, ...)
{
    // glibc reads the three optional arguments whether or not the flags use them.
    va_list rest;
    va_start(rest, arg);
    pid_t *parentTid = va_arg(rest, pid_t *);
    void *tls = va_arg(rest, void *);
    pid_t *childTid = va_arg(rest, pid_t *);
    va_end(rest);
    return __interceptor_clone(
        fn, stack, flags & ~(CLONE_VM | CLONE_VFORK), arg, parentTid, tls, childTid);
}
