#pragma once

// The user's "jobsAtOnce" setting, kept beside "destination" and shared by the window and the
// console: how many jobs a batch converts at once. Without a valid one, the default of
// BatchConversion.
int JobsAtOnceSetting();
void SetJobsAtOnceSetting(int jobs);
