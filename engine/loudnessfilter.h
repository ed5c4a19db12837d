#pragma once

#include <QStringList>

// "Even Out the Loudness": the arguments $AUDIO_FILTER stands for, which bring a job's sound to
// about -16 LUFS with true peaks under -1.5 dBTP, loud enough for a phone's speaker. The sound
// is first brought to the profile's rate and channels (its -ar and -ac), so that what is
// measured is what the phone gets: a stereo source folded to mono, or cut to 8 kHz for AMR,
// would otherwise come out quieter than measured. Plain function: any thread.
QStringList LoudnessFilter(const QStringList &firstCommand);
