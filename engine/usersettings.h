#pragma once

#include <QString>

class QSettings;

// The user's settings, shared by the window and the console: QSettings of the organisation and
// application "Mivartel" (~/.config/Mivartel/Mivartel.conf). Each key is read here with its
// default; what a caller makes of a default (a folder to fall back to, a range to check) stays
// the caller's. Each call opens the file anew, so what one front end writes the other reads.
// The window's thread, or the console's only thread.
class UserSettings
{
public:
    static const QString Organization;
    static const QString Application;

    // "destination": the output folder as it was written; empty when none is kept.
    static QString Destination();
    static void SetDestination(const QString &folder);
    // "Version": the version text of the window's title, never written by the program; empty
    // when none is kept.
    static QString Version();
    // "outputType": the output type last chosen; 0 when none is kept. Not range-checked.
    static int OutputType();
    static void SetOutputType(int outputType);
    // "profile/N": the title of the profile last chosen for output type N (a title outlives a
    // reordered file); empty when none is kept.
    static QString ProfileTitle(int outputType);
    static void SetProfileTitle(int outputType, const QString &title);
    // "jobsAtOnce": how many jobs a batch converts at once; 0 when none is kept or it is not a
    // number. Not range-checked.
    static int JobsAtOnce();
    static void SetJobsAtOnce(int jobs);
    // "evenLoudness": whether the sound is brought to one loudness; off when none is kept.
    static bool EvenLoudness();
    static void SetEvenLoudness(bool even);

private:
    static QSettings Open();
};
