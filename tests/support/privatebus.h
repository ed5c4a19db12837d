#pragma once

#include <QProcess>

#include <csignal>

// A dbus-daemon of the test's own listening on `socket`, so that nothing reaches the user's
// desktop or the machine's services; it ends with the object.
struct PrivateBus
{
    QString address; // for DBUS_SESSION_BUS_ADDRESS, DBUS_SYSTEM_BUS_ADDRESS or connectToBus
    qint64 pid = 0;

    bool Start(const QString &socket)
    {
        address = "unix:path=" + socket;
        QProcess daemon;
        daemon.start("dbus-daemon",
                     {"--session", "--address=" + address, "--fork", "--print-pid", "--nopidfile"});
        if (daemon.waitForFinished(10000) && daemon.exitCode() == 0)
            pid = daemon.readAllStandardOutput().trimmed().toLongLong();
        return pid > 0;
    }
    ~PrivateBus()
    {
        if (pid > 0)
            ::kill(pid_t(pid), SIGTERM);
    }
};
