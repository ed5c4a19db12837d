#include "shell/singleinstance.h"

#include "shell/applicationadaptor.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDir>
#include <QUrl>
#include <QVariantMap>

namespace {

const char kInterface[] = "org.freedesktop.Application";

} // namespace

SingleInstance::SingleInstance(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{
    new ApplicationAdaptor(this);
}

SingleInstance::~SingleInstance()
{
    if (!m_owner)
        return;
    m_bus.unregisterService(QLatin1String(ServiceName));
    m_bus.unregisterObject(QLatin1String(ObjectPath));
}

SingleInstance::Role SingleInstance::Start(const QStringList &files)
{
    if (!m_bus.isConnected() || !m_bus.interface())
        return Role::Alone;
    // The object before the name: a caller that sees the name finds the object at once.
    if (!m_bus.registerObject(QLatin1String(ObjectPath), this, QDBusConnection::ExportAdaptors))
        return Role::Alone;
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> claim
        = m_bus.interface()->registerService(QLatin1String(ServiceName),
                                             QDBusConnectionInterface::DontQueueService,
                                             QDBusConnectionInterface::DontAllowReplacement);
    if (claim.isValid() && claim.value() == QDBusConnectionInterface::ServiceRegistered) {
        m_owner = true;
        return Role::First;
    }
    m_bus.unregisterObject(QLatin1String(ObjectPath));
    // A bus that refuses the name is as good as none.
    if (!claim.isValid())
        return Role::Alone;

    QDBusMessage call;
    if (files.isEmpty()) {
        call = QDBusMessage::createMethodCall(
            QLatin1String(ServiceName), QLatin1String(ObjectPath), kInterface, "Activate");
        call << QVariantMap();
    } else {
        QStringList uris;
        for (const QString &file : files)
            uris.append(QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded));
        call = QDBusMessage::createMethodCall(
            QLatin1String(ServiceName), QLatin1String(ObjectPath), kInterface, "Open");
        call << uris << QVariantMap();
    }
    const QDBusMessage reply = m_bus.call(call, QDBus::Block, HandOverTimeout);
    return reply.type() == QDBusMessage::ReplyMessage ? Role::HandedOver : Role::Unanswered;
}

void SingleInstance::Activate()
{
    Open({});
}

void SingleInstance::Open(const QStringList &uris)
{
    QStringList paths;
    for (const QString &uri : uris) {
        const QUrl url(uri);
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
        else if (QDir::isAbsolutePath(uri))
            paths.append(uri);
    }
    // Adding may show a modal notice; the caller must not wait for the user to close it.
    QMetaObject::invokeMethod(
        this, [this, paths] { emit activated(paths); }, Qt::QueuedConnection);
}
