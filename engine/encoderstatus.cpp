#include "engine/encoderstatus.h"

#include <charconv>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a number from the start of the field as atof does: blanks skipped, then as much of a
// decimal number as there is. No digits give 0.
double LeadingNumber(std::string_view field)
{
    size_t i = 0;
    while (i < field.size() && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    size_t end = i;
    while (end < field.size() && IsDigit(field[end]))
        ++end;
    if (end < field.size() && field[end] == '.') {
        ++end;
        while (end < field.size() && IsDigit(field[end]))
            ++end;
    }
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(field.data() + i, field.data() + end, value);
    if (r.ec != std::errc())
        return 0.0;
    return negative ? -value : value;
}

// "[-]H+:MM:SS[.ff]" at the start of the text (after blanks): the seconds it stands for.
std::optional<double> ClockSeconds(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    auto number = [&](size_t minDigits, size_t maxDigits) -> std::optional<long long> {
        size_t start = i;
        while (i < text.size() && IsDigit(text[i]) && i - start < maxDigits)
            ++i;
        if (i - start < minDigits)
            return std::nullopt;
        long long v = 0;
        std::from_chars(text.data() + start, text.data() + i, v);
        return v;
    };
    const auto hours = number(1, 9);
    if (!hours || i >= text.size() || text[i] != ':')
        return std::nullopt;
    ++i;
    const auto minutes = number(2, 2);
    if (!minutes || i >= text.size() || text[i] != ':')
        return std::nullopt;
    ++i;
    const size_t secondsStart = i;
    if (!number(2, 2))
        return std::nullopt;
    const double seconds = LeadingNumber(text.substr(secondsStart, 8));
    const double total = double(*hours) * 3600.0 + double(*minutes) * 60.0 + seconds;
    return negative ? -total : total;
}

// The text after the token up to the chunk's end, if the token is found and the text from
// it to the chunk's end is at least minimumTail characters long.
std::optional<std::string_view>
TextAfter(std::string_view chunk, std::string_view token, size_t minimumTail)
{
    const size_t at = chunk.find(token);
    if (at == std::string_view::npos || chunk.size() - at < minimumTail)
        return std::nullopt;
    return chunk.substr(at + token.size());
}

} // namespace

EncoderStatus EncoderStatus::Parse(std::string_view chunk)
{
    // A chunk is NUL-terminated text: nothing after a NUL counts.
    chunk = chunk.substr(0, chunk.find('\0'));
    EncoderStatus status;
    if (const auto text = TextAfter(chunk, "frame=", 12))
        status.frames = LeadingNumber(text->substr(0, 6));
    if (const auto text = TextAfter(chunk, "size=", 13)) {
        const std::string_view field = text->substr(0, 8);
        // Whole kilobytes, as atol reads them.
        status.sizeKB = int(LeadingNumber(field.substr(0, field.find('.'))));
    }
    if (const auto text = TextAfter(chunk, "time=", 9)) {
        if (const auto clock = ClockSeconds(*text))
            status.seconds = *clock;
        else
            status.seconds = LeadingNumber(text->substr(0, 5));
    }
    if (const auto text = TextAfter(chunk, "speed=", 7)) {
        const size_t x = text->find('x');
        if (x != std::string_view::npos && x <= 12) {
            const double speed = LeadingNumber(text->substr(0, x));
            if (speed > 0.0)
                status.speed = speed;
        }
    }
    return status;
}
