#include "desktopnotifier.h"

#include "engine/batchoutcome.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

const char kService[] = "org.freedesktop.Notifications";
const char kPath[] = "/org/freedesktop/Notifications";
const char kInterface[] = "org.freedesktop.Notifications";
// The launcher's id: the icon of that name, and the entry the desktop groups the notice under.
const char kDesktopId[] = "org.mivartel.Mivartel";

} // namespace

DesktopNotifier::DesktopNotifier(const QDBusConnection &bus)
    : m_bus(bus)
{}

QString DesktopNotifier::BatchEndText(int failedJobs, int jobCount)
{
    if (failedJobs <= 0)
        return QStringLiteral("Converting Finished");
    return (jobCount == 1 ? QStringLiteral("%1 of %2 conversion failed")
                          : QStringLiteral("%1 of %2 conversions failed"))
        .arg(failedJobs)
        .arg(jobCount);
}

bool DesktopNotifier::BatchEnded(bool windowActive, const BatchOutcome &outcome)
{
    if (windowActive || !m_bus.isConnected())
        return false;

    QDBusMessage notify = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    notify << QStringLiteral("Mivartel")      // application name
           << 0u                              // replaces no earlier notification
           << QString::fromLatin1(kDesktopId) // icon
           << QStringLiteral("Mivartel") << BatchEndText(outcome.failed, outcome.total())
           << QStringList()
           << QVariantMap{{QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopId)}}
           << -1; // the server's own display time
    // Fire and forget: the window must not wait for a service that may never answer, and a
    // missing service only earns an error reply that nobody reads.
    return m_bus.send(notify);
}
