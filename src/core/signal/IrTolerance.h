#pragma once

#include <QtGlobal>

#include <algorithm>
#include <cstdlib>

// How far a measured duration may be from a protocol's nominal one and still
// count as it: a quarter of the nominal length, but at least 100 us, which
// covers receivers that stretch marks and jitter of a fifth either way.
namespace IrTolerance {

inline constexpr qint64 Percent = 25;
inline constexpr qint64 FloorUs = 100;

[[nodiscard]] inline qint64 allowanceUs(qint64 nominalUs)
{
    return std::max(nominalUs * Percent / 100, FloorUs);
}

[[nodiscard]] inline bool matches(qint64 measuredUs, qint64 nominalUs)
{
    return std::abs(measuredUs - nominalUs) <= allowanceUs(nominalUs);
}

} // namespace IrTolerance
