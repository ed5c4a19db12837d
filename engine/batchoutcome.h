#pragma once

#include <QList>

class JobList;

// How a batch ended, read by whoever tells the user: the page's notice, the desktop's
// notification, the console's exit status. The batch's jobs are finished + failed + stopped.
struct BatchOutcome
{
    int finished = 0;
    int failed = 0;  // run, but left no final file
    int stopped = 0; // not run to the end because the user stopped the batch
    bool canceled = false;

    int total() const { return finished + failed + stopped; }

    // Counts the marks of the batch's rows; the jobs neither finished nor failed were stopped
    // when the batch was canceled.
    static BatchOutcome Of(const JobList &jobs, const QList<int> &rows, bool canceled);
};
