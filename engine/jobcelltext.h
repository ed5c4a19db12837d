#pragma once

#include "engine/conversionjob.h"

#include <QString>

// What the job list shows of a job, free of widgets: the console front end prints the same
// Progress text that the list draws.
struct ProgressCell
{
    QString text;
    int progressMax = -1; // above 0: the cell has a bar
    int progressPos = 0;
};

// The Progress column: " Finished ", " Failed ", "Buffering  %.2f%%", the running figures
// while the first pass runs, or the word of the stage.
ProgressCell ProgressCellOf(const ConversionJob &job);
// The text of column 0 to 3 ("Source", "Begin Time", "End Time", "Output"); the Output
// column follows the chosen output type and is empty when there is none. An end between 0 and
// 1 s shows as 00:00:01.
QString CellTextOf(const ConversionJob &job, int column, int outputType);
// Whole percent of the range that the encoder has reached, 100 from 99 on, 0 for an empty range
// or a time before its start.
int EncodedPercent(const ConversionJob &job);
