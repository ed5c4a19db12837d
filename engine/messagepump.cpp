#include "engine/messagepump.h"

#include <QCoreApplication>
#include <QEventLoop>

void PumpMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void WaitAndPumpMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
