#include "core/signal/DurationMerger.h"

#include "core/signal/WaveRenderer.h"

#include <QHash>

#include <algorithm>
#include <limits>

namespace {

[[nodiscard]] double relativeDifference(qint64 a, qint64 b)
{
    return double(std::abs(a - b)) / double(std::max({a, b, DurationMerger::MergeFloorUs}));
}

[[nodiscard]] bool spanWithin(qint64 minUs, qint64 maxUs, qint64 centreUs)
{
    const qint64 tolerance = std::max(centreUs * DurationMerger::MergePercent / 100, DurationMerger::MergeFloorUs);
    return centreUs - minUs <= tolerance && maxUs - centreUs <= tolerance;
}

} // namespace

DurationMerger::DurationMerger(const QList<IrDuration> &symbols, int carrierPeriod)
    : m_carrierPeriod(carrierPeriod)
{
    QHash<quint32, int> indexOf;
    m_symbolEntry.reserve(symbols.size());
    for (const IrDuration &d : symbols) {
        const quint32 key = quint32(d.gap) << 16 | d.burst;
        auto found = indexOf.constFind(key);
        if (found == indexOf.cend()) {
            const qint64 g = gapUs(d);
            const qint64 b = burstUs(d);
            m_entries.push_back({0, 0, 0, {g, g}, {b, b}, g, b});
            found = indexOf.insert(key, int(m_entries.size() - 1));
        }
        Entry &entry = m_entries[size_t(*found)];
        entry.gapSum += d.gap;
        entry.burstSum += d.burst;
        ++entry.weight;
        m_symbolEntry.push_back(*found);
    }
    m_mergedInto.assign(m_entries.size(), -1);
    for (int i = 0; i < int(m_entries.size()); ++i)
        m_alive.push_back(i);
}

// Closest pair first; each entry keeps its nearest mergeable partner, which
// only needs looking for again when that partner was merged.
void DurationMerger::mergeDownTo(int maxEntries)
{
    if (entryCount() <= maxEntries)
        return;
    std::vector<Nearest> nearest(m_entries.size());
    for (const int entry : m_alive)
        nearest[size_t(entry)] = nearestTo(entry);
    while (entryCount() > maxEntries) {
        int into = -1;
        for (const int entry : m_alive) {
            const Nearest &candidate = nearest[size_t(entry)];
            if (candidate.entry >= 0 && (into < 0 || candidate.distance < nearest[size_t(into)].distance))
                into = entry;
        }
        if (into < 0)
            return;
        const int from = nearest[size_t(into)].entry;
        merge(into, from);
        for (const int entry : m_alive) {
            Nearest &own = nearest[size_t(entry)];
            if (entry == into || own.entry == into || own.entry == from) {
                own = nearestTo(entry);
                continue;
            }
            const double d = distance(m_entries[size_t(entry)], m_entries[size_t(into)]);
            if ((own.entry < 0 || d < own.distance) && mayMerge(m_entries[size_t(entry)], m_entries[size_t(into)]))
                own = {into, d};
        }
    }
}

QList<IrDuration> DurationMerger::symbols() const
{
    QList<IrDuration> result;
    result.reserve(qsizetype(m_symbolEntry.size()));
    for (int entry : m_symbolEntry) {
        while (m_mergedInto[size_t(entry)] >= 0)
            entry = m_mergedInto[size_t(entry)];
        result.append(centre(m_entries[size_t(entry)]));
    }
    return result;
}

IrDuration DurationMerger::centre(const Entry &entry)
{
    return {quint16((entry.gapSum + entry.weight / 2) / entry.weight),
            quint16((entry.burstSum + entry.weight / 2) / entry.weight)};
}

qint64 DurationMerger::gapUs(const IrDuration &d) const
{
    return WaveRenderer::gapMicros(d.gap);
}

qint64 DurationMerger::burstUs(const IrDuration &d) const
{
    return WaveRenderer::burstMicros(d.burst, uchar(m_carrierPeriod));
}

void DurationMerger::updateCentre(Entry &entry) const
{
    const IrDuration c = centre(entry);
    entry.centreGapUs = gapUs(c);
    entry.centreBurstUs = burstUs(c);
}

double DurationMerger::distance(const Entry &a, const Entry &b)
{
    return std::max(relativeDifference(a.centreGapUs, b.centreGapUs),
                    relativeDifference(a.centreBurstUs, b.centreBurstUs));
}

DurationMerger::Nearest DurationMerger::nearestTo(int entry) const
{
    const Entry &own = m_entries[size_t(entry)];
    Nearest best;
    for (const int other : m_alive) {
        if (other == entry)
            continue;
        const double d = distance(own, m_entries[size_t(other)]);
        if ((best.entry < 0 || d < best.distance) && mayMerge(own, m_entries[size_t(other)]))
            best = {other, d};
    }
    return best;
}

bool DurationMerger::mayMerge(const Entry &a, const Entry &b) const
{
    const IrDuration c = centre({a.gapSum + b.gapSum, a.burstSum + b.burstSum, a.weight + b.weight, {}, {}, 0, 0});
    return spanWithin(std::min(a.gapUs.minUs, b.gapUs.minUs), std::max(a.gapUs.maxUs, b.gapUs.maxUs), gapUs(c))
           && spanWithin(std::min(a.burstUs.minUs, b.burstUs.minUs), std::max(a.burstUs.maxUs, b.burstUs.maxUs),
                         burstUs(c));
}

void DurationMerger::merge(int into, int from)
{
    Entry &a = m_entries[size_t(into)];
    const Entry &b = m_entries[size_t(from)];
    a.gapSum += b.gapSum;
    a.burstSum += b.burstSum;
    a.weight += b.weight;
    a.gapUs = {std::min(a.gapUs.minUs, b.gapUs.minUs), std::max(a.gapUs.maxUs, b.gapUs.maxUs)};
    a.burstUs = {std::min(a.burstUs.minUs, b.burstUs.minUs), std::max(a.burstUs.maxUs, b.burstUs.maxUs)};
    updateCentre(a);
    m_mergedInto[size_t(from)] = into;
    m_alive.erase(std::find(m_alive.begin(), m_alive.end(), from));
}
