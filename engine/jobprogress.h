#pragma once

#include <QtGlobal>

#include <optional>
#include <string_view>

struct JobSlot;
struct SharedState;

// Writes what the engine learns of the slot's job into its record and has its Progress cell
// repainted.
class JobProgress
{
public:
    JobProgress(SharedState &state, JobSlot &slot);

    // Takes one chunk of the encoder's output: frames per second since the slot's jobStartTick, the
    // size and the time reached, and with the time the encoder's processor time so far. Figures
    // missing from the chunk keep their previous values.
    void ParseEncoderOutput(std::string_view chunk);
    // The same, with the tick count (milliseconds) of the moment the chunk arrived and the
    // encoder's processor time then (milliseconds), when known.
    void ParseEncoderOutput(std::string_view chunk, quint32 now, std::optional<double> cpuMs);
    void SetJobStage(int stage);

private:
    SharedState &m_state;
    JobSlot &m_slot;
};
