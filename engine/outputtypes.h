#pragma once

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

inline constexpr int OutputType3G2 = 2;

inline bool IsValidOutputType(int outputType)
{
    return outputType >= 0 && outputType < int(profileFileTable.size());
}
