#pragma once

#include <QList>

// One symbol of a capture: a time without carrier, then a carrier burst.
struct IrSymbol
{
    int gapUs = 0;
    int burstUs = 0;

    friend bool operator==(const IrSymbol &, const IrSymbol &) = default;
};

// A captured key in real time units, before the module's encoding: the
// symbols of one press, the part a held key repeats, and the carrier.
struct IrCapture
{
    int carrierHz = 0;
    QList<IrSymbol> symbols;
    int repeatStart = 0; // first symbol of the repeated part
    int repeatEnd = 0;   // one past its last symbol
};
