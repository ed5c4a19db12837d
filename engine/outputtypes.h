#pragma once

#include <QDir>
#include <QString>

#include <array>

// The three output types, in the order of the output type box; the index is the outputType.
struct OutputTypeInfo
{
    const char *comboText;
    const char *profileFile; // relative to engineDirectory
    const char *extension;   // of the final file, without the dot
};

inline constexpr std::array<OutputTypeInfo, 3> profileFileTable{{
    {"Cell Phone 3GP  files (3GP + AMR)", "./3GP_AMR_Profile.ini", "3gp"},
    {"Cell Phone 3GP  files (3GP + AAC)", "./3GP_AAC_Profile.ini", "3gp"},
    {"Cell Phone 3GP2 files (3GP2 + AAC)", "./3GP2_AAC_Profile.ini", "3g2"},
}};

// The outputType values, in the box's order; NoOutputType when none is chosen.
namespace OutputType {
enum : int { NoOutputType = -1, Amr3gp = 0, Aac3gp = 1, Aac3g2 = 2 };
}

inline bool IsValidOutputType(int outputType)
{
    return outputType >= 0 && outputType < int(profileFileTable.size());
}

// The folder where a user's own profile file takes the place of the installed one of the same
// name: Mivartel/app/ in the user's data folder (~/.local/share/Mivartel/app/), the same for
// the window and the console program.
QString UserProfileDirectory();
// The installed profile file of a valid output type, in the engine's folder.
QString InstalledProfilePath(const QString &engineDirectory, int outputType);
// The profile file the engine reads for a valid output type: the user's own where there is one,
// else the installed one.
QString ProfilePath(const QString &engineDirectory, int outputType);
