#pragma once

#include "poweroffservice.h"

#include <QDBusConnection>
#include <QObject>

// Power-off through systemd-logind (org.freedesktop.login1.Manager): CanPowerOff, then
// PowerOff(false). The calls are asynchronous, so the window stays live while logind thinks.
class LogindPowerOff : public QObject, public PowerOffService
{
    Q_OBJECT

public:
    // The connection to ask on: the system bus, unless a test brings its own.
    explicit LogindPowerOff(const QDBusConnection &bus = QDBusConnection::systemBus(),
                            QObject *parent = nullptr);

    // Only logind's "yes" allows it: "challenge" would need a password prompt, "no" and
    // "na" forbid it, and a missing bus or service is a no.
    void AskCanPowerOff(std::function<void(bool may)> answer) override;
    void RequestPowerOff() override;

private:
    QDBusConnection m_bus;
};
