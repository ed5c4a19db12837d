#include "shell/applicationadaptor.h"

#include "shell/singleinstance.h"

ApplicationAdaptor::ApplicationAdaptor(SingleInstance *instance)
    : QDBusAbstractAdaptor(instance)
    , m_instance(instance)
{}

// The platform data would carry a startup notification id; the window raises itself anyway.
void ApplicationAdaptor::Activate(const QVariantMap &)
{
    m_instance->Activate();
}

void ApplicationAdaptor::Open(const QStringList &uris, const QVariantMap &)
{
    m_instance->Open(uris);
}
