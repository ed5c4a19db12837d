#pragma once

#include <QtGlobal>

// Milliseconds from a monotonic clock, cut to 32 bits: differences are taken as unsigned
// 32-bit values, so they stay right across the wrap-around.
quint32 TickCount();
