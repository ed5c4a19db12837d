#pragma once

#include <functional>

// The system's power switch as the program sees it. The real one asks systemd-logind over the
// system bus (LogindPowerOff); tests put in their own, so that nothing is ever powered off.
class PowerOffService
{
public:
    virtual ~PowerOffService() = default;

    // Asks whether this user may power the computer off now without being asked for a
    // password. `answer` is called exactly once, at once or later on the UI thread, with
    // false also when the system cannot be asked; it is not called if the service is
    // destroyed first.
    virtual void AskCanPowerOff(std::function<void(bool may)> answer) = 0;
    // Powers the computer off at once, without waiting for other programs to agree. The
    // outcome is not reported.
    virtual void RequestPowerOff() = 0;
};
