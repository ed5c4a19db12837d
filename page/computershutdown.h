#pragma once

#include "poweroffservice.h"

#include <functional>
#include <memory>

class QWidget;

// Shuts the computer down when a batch ends with the shutdown box checked: asks the system
// whether it may, then asks it to power off. Where it may not, or cannot be asked, the user
// is told "Your computer cannot shutdown" and the program stays up.
class ComputerShutdown
{
public:
    // Shows the failure message, owned by the given window (which may be null).
    using FailureMessage = std::function<void(QWidget *owner)>;

    // With no service, systemd-logind on the system bus.
    explicit ComputerShutdown(std::unique_ptr<PowerOffService> service = nullptr,
                              FailureMessage showFailure = ShowFailureMessage);
    ~ComputerShutdown();

    // Returns at once; the answer comes back through the event loop.
    void ShutDown(QWidget *owner);

    // The message box: "Your computer cannot shutdown", caption "Warning", stop icon, OK.
    static void ShowFailureMessage(QWidget *owner);

private:
    std::unique_ptr<PowerOffService> m_service;
    FailureMessage m_showFailure;
};
