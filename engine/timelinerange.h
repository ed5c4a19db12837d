#pragma once

#include <QString>

// One piece of a timeline: the part start..stop (seconds) of a source, and whether the
// source has a stream of the kind the piece was added for (a sound range of a silent file
// adds nothing to an export).
struct TimelineRange
{
    QString file;
    double start = 0.0;
    double stop = 0.0;
    bool hasStream = false;

    double length() const { return stop - start; }
};
