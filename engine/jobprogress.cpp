#include "engine/jobprogress.h"

#include "engine/encoderstatus.h"
#include "engine/jobslot.h"
#include "engine/processcpu.h"
#include "engine/sharedstate.h"
#include "engine/tickcount.h"

JobProgress::JobProgress(SharedState &state, JobSlot &slot)
    : m_state(state)
    , m_slot(slot)
{}

void JobProgress::ParseEncoderOutput(std::string_view chunk)
{
    ParseEncoderOutput(chunk, TickCount(), ProcessCpuMs(m_slot.ChildId(JobSlot::Child::Encoder)));
}

void JobProgress::ParseEncoderOutput(std::string_view chunk,
                                     quint32 now,
                                     std::optional<double> cpuMs)
{
    if (!m_state.jobs.isValidIndex(m_slot.jobIndex))
        return;
    ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    const EncoderStatus status = EncoderStatus::Parse(chunk);
    if (status.frames) {
        // Unsigned difference: right across a wrap of the tick counter.
        const quint32 elapsed = now - m_slot.jobStartTick;
        // In the very millisecond the job began there is no speed yet: keep the last one.
        if (elapsed > 0)
            job.framesPerSecond = *status.frames * 1000.0 / double(elapsed);
    }
    if (status.sizeKB)
        job.sizeKB = *status.sizeKB;
    if (status.seconds) {
        job.encodedTime = *status.seconds;
        job.statusTick = now;
        if (cpuMs)
            job.encoderCpuMs = *cpuMs;
    }
    // ffmpeg's figure is already an average since its start; this only evens out the jumps
    // of a stage that starts slower (probing, the first key frames).
    if (status.speed)
        job.encoderSpeed
            = job.encoderSpeed > 0.0 ? 0.7 * job.encoderSpeed + 0.3 * *status.speed : *status.speed;
    m_state.jobs.replace(m_slot.jobIndex, job);
    m_state.RepaintProgressCell(m_slot.jobIndex);
}

void JobProgress::SetJobStage(int stage)
{
    if (!m_state.jobs.isValidIndex(m_slot.jobIndex))
        return;
    ConversionJob job = m_state.jobs.copyOut(m_slot.jobIndex);
    job.stage = stage;
    m_state.jobs.replace(m_slot.jobIndex, job);
    m_state.RepaintProgressCell(m_slot.jobIndex);
}
