#pragma once

#include "engine/conversionjob.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

// Profile commands are templates in which variables stand for the job's files and times:
// $INPUT_FILE, $START, $LENGTH, $TIMESTAMP, $OUTPUT_DIR and $OUTPUT_FILE; and for what the
// program works out for the job: $VIDEO_BITRATE and $AUDIO_FILTER (see CommandValues).

// The values the program itself chooses for one run of a job's commands.
struct CommandValues
{
    // kbit/s for $VIDEO_BITRATE; 0 (a profile without a size bound) expands to nothing.
    int videoKbps = 0;
    // The arguments $AUDIO_FILTER stands for, in the form "-af" and a filter graph; none when
    // the sound is left as it is.
    QStringList audioFilter;
};

// Whole seconds (cut toward zero) as "%02d:%02d:%02d"; hours take more digits when needed.
// Not a number and infinities read as 0; magnitudes past 10^15 s are held there.
QString ClockTime(double seconds);
// "%d-%02d-%02d %02d:%02d:%02d" of the given local time.
QString TimestampText(const QDateTime &when);

// Splits a command line into arguments as a Windows command line is split: blanks separate,
// double quotes group (and are removed), a backslash escapes a quote.
QStringList SplitCommandLine(const QString &commandLine);

// The argument after the last occurrence of option ("-b:a" in "... -b:a 12.2k ..."); empty when
// the option is not there or ends the command.
QString OptionValue(const QStringList &arguments, const QString &option);

// The seconds the encoder is asked for: from the second the begin falls in to the one the end
// reaches; 0 for an empty range.
double RangeLength(double begin, double end);

// Splits the template into arguments, then replaces the variables inside each argument in one
// left-to-right pass. A substituted value is never split or expanded again, whatever it holds.
// outputDirectory ends with "/". The first element is the program. $START is the begin cut to
// a whole second, $LENGTH runs from there to the end rounded up to a whole second.
// An argument that a variable leaves empty is dropped, so that a value the program chose not to
// give never reaches the program as "". $AUDIO_FILTER alone as an argument becomes its
// arguments (the program's own words, never a path); inside a longer one, them joined by blanks.
QStringList ExpandCommand(const QString &commandTemplate,
                          const ConversionJob &job,
                          const QString &outputDirectory,
                          const QDateTime &now,
                          const CommandValues &values = {});
