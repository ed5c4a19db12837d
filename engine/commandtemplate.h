#pragma once

#include "engine/conversionjob.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Profile commands are templates in which six variables stand for the job's files and times:
// $INPUT_FILE, $START, $LENGTH, $TIMESTAMP, $OUTPUT_DIR and $OUTPUT_FILE.

// Whole seconds (cut toward zero) as "%02d:%02d:%02d"; hours take more digits when needed.
// Not a number and infinities read as 0; magnitudes past 10^15 s are held there.
QString ClockTime(double seconds);
// "%d-%02d-%02d %02d:%02d:%02d" of the given local time.
QString TimestampText(const QDateTime &when);

// Splits a command line into arguments as a Windows command line is split: blanks separate,
// double quotes group (and are removed), a backslash escapes a quote.
QStringList SplitCommandLine(const QString &commandLine);

// Splits the template into arguments, then replaces the variables inside each argument in one
// left-to-right pass. A substituted value is never split or expanded again, whatever it holds.
// outputDirectory ends with "/". The first element is the program. $START is the begin cut to
// a whole second, $LENGTH runs from there to the end rounded up to a whole second.
QStringList ExpandCommand(const QString &commandTemplate,
                          const ConversionJob &job,
                          const QString &outputDirectory,
                          const QDateTime &now);
