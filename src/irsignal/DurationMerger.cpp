#include "irsignal/DurationMerger.h"

#include "irsignal/WaveRenderer.h"

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

DurationMerger::DurationMerger(const QList<TIRDuration> &symbols, int carrierPeriod)
    : m_carrierPeriod(carrierPeriod)
{
    QHash<quint32, int> indexOf;
    m_symbolEntry.reserve(symbols.size());
    for (const TIRDuration &d : symbols) {
        const quint32 key = quint32(d.gap) << 16 | d.burst;
        auto found = indexOf.constFind(key);
        if (found == indexOf.cend()) {
            const qint64 g = gapUs(d);
            const qint64 b = burstUs(d);
            m_entries.push_back({0, 0, 0, {g, g}, {b, b}});
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

void DurationMerger::mergeDownTo(int maxEntries)
{
    while (entryCount() > maxEntries) {
        double best = std::numeric_limits<double>::max();
        int into = -1;
        int from = -1;
        for (size_t i = 0; i < m_alive.size(); ++i) {
            for (size_t j = i + 1; j < m_alive.size(); ++j) {
                const Entry &a = m_entries[size_t(m_alive[i])];
                const Entry &b = m_entries[size_t(m_alive[j])];
                const double d = distance(a, b);
                if (d < best && mayMerge(a, b)) {
                    best = d;
                    into = m_alive[i];
                    from = m_alive[j];
                }
            }
        }
        if (into < 0)
            return;
        merge(into, from);
    }
}

QList<TIRDuration> DurationMerger::symbols() const
{
    QList<TIRDuration> result;
    result.reserve(qsizetype(m_symbolEntry.size()));
    for (int entry : m_symbolEntry) {
        while (m_mergedInto[size_t(entry)] >= 0)
            entry = m_mergedInto[size_t(entry)];
        result.append(centre(m_entries[size_t(entry)]));
    }
    return result;
}

TIRDuration DurationMerger::centre(const Entry &entry)
{
    return {quint16((entry.gapSum + entry.weight / 2) / entry.weight),
            quint16((entry.burstSum + entry.weight / 2) / entry.weight)};
}

qint64 DurationMerger::gapUs(const TIRDuration &d) const
{
    return WaveRenderer::gapMicros(d.gap);
}

qint64 DurationMerger::burstUs(const TIRDuration &d) const
{
    return WaveRenderer::burstMicros(d.burst, uchar(m_carrierPeriod));
}

double DurationMerger::distance(const Entry &a, const Entry &b) const
{
    const TIRDuration ca = centre(a);
    const TIRDuration cb = centre(b);
    return std::max(relativeDifference(gapUs(ca), gapUs(cb)), relativeDifference(burstUs(ca), burstUs(cb)));
}

bool DurationMerger::mayMerge(const Entry &a, const Entry &b) const
{
    const TIRDuration c = centre({a.gapSum + b.gapSum, a.burstSum + b.burstSum, a.weight + b.weight, {}, {}});
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
    m_mergedInto[size_t(from)] = into;
    m_alive.erase(std::find(m_alive.begin(), m_alive.end(), from));
}
