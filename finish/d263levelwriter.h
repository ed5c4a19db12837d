#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes the level of an H.263 video track into its sample description: the 'd263' box of
// the 's263' entry in a track's 'stsd', in a 3GP or 3G2 file. FFmpeg's muxer always writes
// level 10 there, whatever the stream, and phones read that byte before they try to play.
// The file is changed in place, one byte per H.263 track; it is never moved or resized.
class D263LevelWriter
{
public:
    enum class Outcome { Written, NotReadable, Malformed, NoH263Track, NotWritable };

    // True for the levels of H.263 Profile 0 (10, 20, 30, 40, 45, 50, 60, 70).
    static bool IsKnownLevel(int level);

    // File offsets of the level byte of every H.263 sample description of the file at path.
    // Every box size is checked against its parent and the file; a box that does not fit
    // makes the whole file Malformed, and nothing is reported for it. Written (meaning "can be
    // written") when at least one was found.
    static Outcome FindLevelOffsets(const std::string &path, std::vector<std::uint64_t> &offsets);

    // Finds the level bytes and writes level into each. Nothing is written unless the whole
    // index was read without fault. detail receives a sentence for the user on failure.
    static Outcome Write(const std::string &path, int level, std::string &detail);
};
