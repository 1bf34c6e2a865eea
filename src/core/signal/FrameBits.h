#pragma once

#include <QtGlobal>

// The bits of one frame in the order they are sent: bit i is the i-th bit on
// the air. Fields are appended and taken least or most significant bit first,
// as each protocol sends them.
struct FrameBits
{
    static constexpr int MaxBits = 64;

    quint64 value = 0;
    int count = 0;

    void push(bool bit)
    {
        if (count < MaxBits)
            value |= quint64(bit) << count;
        ++count;
    }
    [[nodiscard]] bool at(int i) const { return (value >> i) & 1; }

    void appendLsb(quint64 field, int width)
    {
        for (int i = 0; i < width; ++i)
            push((field >> i) & 1);
    }
    void appendMsb(quint64 field, int width)
    {
        for (int i = width - 1; i >= 0; --i)
            push((field >> i) & 1);
    }
    [[nodiscard]] quint32 takeLsb(int at, int width) const
    {
        return quint32((value >> at) & ((quint64(1) << width) - 1));
    }
    [[nodiscard]] quint32 takeMsb(int at, int width) const
    {
        quint32 field = 0;
        for (int i = 0; i < width; ++i)
            field = field << 1 | quint32(this->at(at + i));
        return field;
    }
};

// A frame read from a pulse list: its bits and the index of the pulse after it.
struct ReadFrame
{
    FrameBits bits;
    int next = 0;
};
