#include "logindpoweroff.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const char kService[] = "org.freedesktop.login1";
const char kPath[] = "/org/freedesktop/login1";
const char kInterface[] = "org.freedesktop.login1.Manager";
// logind answers at once; a bus that does not answer within this is taken as a no.
constexpr int kTimeoutMs = 10000;

QDBusMessage ManagerCall(const char *method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
}

} // namespace

LogindPowerOff::LogindPowerOff(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
{}

void LogindPowerOff::AskCanPowerOff(std::function<void(bool may)> answer)
{
    if (!m_bus.isConnected()) {
        answer(false);
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(
        m_bus.asyncCall(ManagerCall("CanPowerOff"), kTimeoutMs), this);
    connect(watcher,
            &QDBusPendingCallWatcher::finished,
            this,
            [answer = std::move(answer)](QDBusPendingCallWatcher *call) {
                const QDBusPendingReply<QString> reply = *call;
                call->deleteLater();
                answer(!reply.isError() && reply.value() == QLatin1String("yes"));
            });
}

void LogindPowerOff::RequestPowerOff()
{
    QDBusMessage call = ManagerCall("PowerOff");
    // Not interactive: no password prompt, no waiting for other sessions.
    call << false;
    m_bus.asyncCall(call, kTimeoutMs);
}
