#pragma once

#include "core/signal/FrameCoding.h"
#include "core/signal/IrCode.h"
#include "core/signal/IrResult.h"
#include "core/signal/IrTiming.h"

#include <QList>

#include <optional>

// One protocol family: how its keys are framed on the air, and both ways
// between a key and marks and spaces. A key press is the part sent once
// (one frame, or two for Sharp and Denon) and one repetition of what a held
// key sends (the frames again, the frames without their leader for JVC, or
// NEC's repeat code), each padded to the protocol's frame period.
class ProtocolCodec final
{
public:
    using Pack = QList<FrameBits> (*)(const IrCode &code);
    // The key in the frames, or nothing when their check bits do not hold.
    using Unpack = std::optional<IrCode> (*)(const QList<FrameBits> &frames);

    struct Definition
    {
        QList<IrProtocol> protocols;
        int carrierHz = 0;
        const FrameCoding *coding = nullptr;
        qint64 periodUs = 0;     // frame start to next frame start; 0: none
        qint64 minSilenceUs = 0; // silence after each frame at least
        int frames = 1;          // frames per key press
        bool repeatWithoutLead = false;
        const FrameCoding *repeatCode = nullptr; // a frame of no bits
        Pack pack = nullptr;
        Unpack unpack = nullptr;
    };

    struct Match
    {
        IrCode code;
        int next = 0;
    };

    explicit ProtocolCodec(Definition definition);

    [[nodiscard]] bool handles(IrProtocol protocol) const { return m_definition.protocols.contains(protocol); }
    // The key press starting at pulse at.
    [[nodiscard]] std::optional<Match> first(const QList<IrTiming::Pulse> &pulses, int at) const;
    // A repetition of code starting at pulse at: the index after it.
    [[nodiscard]] std::optional<int> repeat(const QList<IrTiming::Pulse> &pulses, int at, const IrCode &code) const;
    // A valid code of this family as one capture.
    [[nodiscard]] IrResult<IrTiming> encode(const IrCode &code) const;

    // Every family, in the order decoding tries them.
    [[nodiscard]] static const QList<const ProtocolCodec *> &all();
    [[nodiscard]] static const ProtocolCodec &forProtocol(IrProtocol protocol);

private:
    struct Frames
    {
        QList<FrameBits> bits;
        int next = 0;
    };

    [[nodiscard]] std::optional<Frames> readFrames(const QList<IrTiming::Pulse> &pulses, int at, bool withLead) const;
    void writeFrames(PulseTrain &train, const QList<FrameBits> &frames, bool withLead) const;
    void writeFrame(PulseTrain &train, const FrameCoding &coding, const FrameBits &bits, bool withLead) const;

    Definition m_definition;
};
