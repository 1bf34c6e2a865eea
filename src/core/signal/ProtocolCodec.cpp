#include "core/signal/ProtocolCodec.h"

ProtocolCodec::ProtocolCodec(Definition definition)
    : m_definition(std::move(definition))
{
}

std::optional<ProtocolCodec::Match> ProtocolCodec::first(const QList<IrTiming::Pulse> &pulses, int at) const
{
    const std::optional<Frames> frames = readFrames(pulses, at, true);
    if (!frames)
        return std::nullopt;
    const std::optional<IrCode> code = m_definition.unpack(frames->bits);
    if (!code)
        return std::nullopt;
    return Match{*code, frames->next};
}

std::optional<int> ProtocolCodec::repeat(const QList<IrTiming::Pulse> &pulses, int at, const IrCode &code) const
{
    if (m_definition.repeatCode) {
        const std::optional<ReadFrame> frame = m_definition.repeatCode->read(pulses, at, true);
        if (frame && frame->bits.count == 0)
            return frame->next;
    }
    for (const bool withLead : {true, false}) {
        if (!withLead && !m_definition.repeatWithoutLead)
            break;
        const std::optional<Frames> frames = readFrames(pulses, at, withLead);
        if (!frames)
            continue;
        const std::optional<IrCode> again = m_definition.unpack(frames->bits);
        if (again && again->sameKey(code))
            return frames->next;
    }
    return std::nullopt;
}

IrResult<IrTiming> ProtocolCodec::encode(const IrCode &code) const
{
    const QList<FrameBits> frames = m_definition.pack(code);
    PulseTrain train;
    writeFrames(train, frames, true);
    train.startRepeat();
    if (m_definition.repeatCode)
        writeFrame(train, *m_definition.repeatCode, FrameBits(), true);
    else
        writeFrames(train, frames, !m_definition.repeatWithoutLead);
    return train.timing(m_definition.carrierHz);
}

std::optional<ProtocolCodec::Frames> ProtocolCodec::readFrames(const QList<IrTiming::Pulse> &pulses, int at,
                                                               bool withLead) const
{
    Frames frames;
    frames.next = at;
    for (int f = 0; f < m_definition.frames; ++f) {
        const std::optional<ReadFrame> frame = m_definition.coding->read(pulses, frames.next, withLead);
        if (!frame)
            return std::nullopt;
        frames.bits.append(frame->bits);
        frames.next = frame->next;
    }
    return frames;
}

void ProtocolCodec::writeFrames(PulseTrain &train, const QList<FrameBits> &frames, bool withLead) const
{
    for (const FrameBits &bits : frames)
        writeFrame(train, *m_definition.coding, bits, withLead);
}

void ProtocolCodec::writeFrame(PulseTrain &train, const FrameCoding &coding, const FrameBits &bits,
                               bool withLead) const
{
    train.startFrame();
    coding.write(train, bits, withLead);
    train.endFrame(m_definition.periodUs, m_definition.minSilenceUs);
}
