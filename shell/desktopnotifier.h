#pragma once

#include <QDBusConnection>
#include <QString>

struct BatchOutcome;

// Tells the desktop that a batch has ended while the user works in another window: one
// notification through org.freedesktop.Notifications on the session bus, titled "Mivartel".
// It comes on top of the page's own notice. Without a bus or a notification service nothing
// is shown and nothing fails.
class DesktopNotifier
{
public:
    // The connection to send on: the session bus, unless a test brings its own.
    explicit DesktopNotifier(const QDBusConnection &bus = QDBusConnection::sessionBus());

    // "Converting Finished" when no job failed, else how many of how many failed.
    static QString BatchEndText(int failedJobs, int jobCount);

    // Call when a batch has ended, with whether the program's window is the active one and how
    // the batch ended. Sends nothing when the window is active. Returns whether a notification
    // was sent; it does not wait for the service.
    bool BatchEnded(bool windowActive, const BatchOutcome &outcome);

private:
    QDBusConnection m_bus;
};
