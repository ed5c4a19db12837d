#include "computershutdown.h"

#include "logindpoweroff.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>

ComputerShutdown::ComputerShutdown(std::unique_ptr<PowerOffService> service,
                                   FailureMessage showFailure)
    : m_service(service ? std::move(service) : std::make_unique<LogindPowerOff>())
    , m_showFailure(std::move(showFailure))
{}

ComputerShutdown::~ComputerShutdown() = default;

void ComputerShutdown::ShutDown(QWidget *owner)
{
    // The service dies with this object and then never answers, so `this` is safe here;
    // the owner window may go first.
    m_service->AskCanPowerOff([this, owner = QPointer<QWidget>(owner)](bool may) {
        if (may)
            m_service->RequestPowerOff();
        else
            m_showFailure(owner.data());
    });
}

void ComputerShutdown::ShowFailureMessage(QWidget *owner)
{
    QMessageBox box(QMessageBox::Critical,
                    QStringLiteral("Warning"),
                    QStringLiteral("Your computer cannot shutdown"),
                    QMessageBox::Ok,
                    owner);
    box.exec();
}
