#pragma once

#include <QDBusConnection>

// The batch's progress on the program's launcher icon (KDE's task manager, GNOME's
// dash-to-dock, Unity): the com.canonical.Unity.LauncherEntry "Update" signal on the session
// bus, naming the launcher by its desktop file. Without a bus nothing is sent and nothing fails.
class LauncherEntry
{
public:
    // The connection to send on: the session bus, unless a test brings its own.
    explicit LauncherEntry(const QDBusConnection &bus = QDBusConnection::sessionBus());

    static const QString AppUri; // "application://org.mivartel.Mivartel.desktop"
    static const QString Path;   // the object the signal comes from

    // share of the batch done, from 0 to 1. Returns whether a signal was sent.
    bool ShowProgress(double share);
    // The bar goes away.
    bool Clear();

private:
    bool Send(const QVariantMap &properties);

    QDBusConnection m_bus;
};
