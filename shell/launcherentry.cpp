#include "shell/launcherentry.h"

#include <QDBusMessage>
#include <QVariantMap>

const QString LauncherEntry::AppUri = QStringLiteral("application://org.mivartel.Mivartel.desktop");
const QString LauncherEntry::Path = QStringLiteral("/org/mivartel/Mivartel/LauncherEntry");

LauncherEntry::LauncherEntry(const QDBusConnection &bus)
    : m_bus(bus)
{}

bool LauncherEntry::ShowProgress(double share)
{
    return Send({{QStringLiteral("progress"), qBound(0.0, share, 1.0)},
                 {QStringLiteral("progress-visible"), true}});
}

bool LauncherEntry::Clear()
{
    return Send({{QStringLiteral("progress"), 0.0}, {QStringLiteral("progress-visible"), false}});
}

bool LauncherEntry::Send(const QVariantMap &properties)
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage update = QDBusMessage::createSignal(
        Path, QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << AppUri << properties;
    return m_bus.send(update);
}
