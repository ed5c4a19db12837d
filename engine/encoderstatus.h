#pragma once

#include <optional>
#include <string_view>

// The figures that one chunk of the encoder's console output carries. A token that is missing
// from the chunk, or stands too close to its end, gives no value.
struct EncoderStatus
{
    std::optional<double> frames;
    std::optional<int> sizeKB;
    std::optional<double> seconds;
    std::optional<double> speed; // media seconds per wall second ("speed=2.5x")

    // Looks at the first "frame=", "size=" and "time=" of the chunk, each on its own. The
    // numbers are read from a few characters after the token: 6 for the frame count, 8 for the
    // size, and for the time either 5 (seconds, "time=9.80") or a whole clock time
    // ("time=00:00:09.80", as ffmpeg prints today), and "speed=" up to its "x" ("N/A" gives
    // none). Independent of the C locale.
    static EncoderStatus Parse(std::string_view chunk);
};
