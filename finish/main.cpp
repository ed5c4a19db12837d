// mivartel-h263level LEVEL FILE: writes the H.263 level that a profile encodes into the
// sample description of FILE (see D263LevelWriter). Exit status 0 when written or when the file
// holds no H.263 track (a song has no picture to mark), 1 when the file cannot be read or is
// malformed, 2 for a usage error.
#include "finish/d263levelwriter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char *argv[])
{
    const char *usage = "usage: mivartel-h263level LEVEL FILE\n";
    if (argc != 3) {
        std::fputs(usage, stderr);
        return 2;
    }
    // Digits only, so that no file name is ever taken for a level.
    const std::string levelText = argv[1];
    if (levelText.empty() || levelText.size() > 2
        || levelText.find_first_not_of("0123456789") != std::string::npos
        || !D263LevelWriter::IsKnownLevel(std::atoi(levelText.c_str()))) {
        std::fprintf(stderr, "mivartel-h263level: %s is not an H.263 level\n", argv[1]);
        return 2;
    }
    std::string detail;
    const D263LevelWriter::Outcome outcome
        = D263LevelWriter::Write(argv[2], std::atoi(levelText.c_str()), detail);
    if (outcome != D263LevelWriter::Outcome::Written
        && outcome != D263LevelWriter::Outcome::NoH263Track) {
        std::fprintf(stderr, "mivartel-h263level: %s: %s\n", argv[2], detail.c_str());
        return 1;
    }
    return 0;
}
