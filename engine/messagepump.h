#pragma once

// The engine's waits are the one place that dispatches events while a batch runs: Stop
// Converting, painting and the video events all run nested in these calls.

// Dispatches every pending event and returns when none is left.
void PumpMessages();
// Sleeps until at least one event arrives (child output, a click, a timer), then dispatches
// everything pending. The way every engine wait keeps the processor free.
void WaitAndPumpMessages();
