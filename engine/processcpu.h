#pragma once

#include <QtGlobal>

#include <optional>

// The processor time a running process has used so far, its threads' user and system time
// together, in milliseconds; nothing once it has been reaped or when it cannot be read.
// Any thread.
std::optional<double> ProcessCpuMs(qint64 pid);
