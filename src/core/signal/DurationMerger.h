#pragma once

#include "core/signal/CaptureHeader.h"

#include <QList>

#include <vector>

// The duration table of one capture: its distinct (gap, burst) pairs. When
// there are more than the table holds, the two closest entries are merged
// into their average (weighted by use), again and again, as long as every
// pair an entry stands for stays within MergePercent (at least MergeFloorUs)
// of it; so jitter of a few percent collapses and distinct lengths stay.
class DurationMerger final
{
public:
    static constexpr int MergePercent = 10;
    static constexpr qint64 MergeFloorUs = 30;

    DurationMerger(const QList<IrDuration> &symbols, int carrierPeriod);

    // Merges until at most maxEntries remain or no two may merge.
    void mergeDownTo(int maxEntries);
    [[nodiscard]] int entryCount() const { return int(m_alive.size()); }
    // Each symbol replaced by the entry that stands for it.
    [[nodiscard]] QList<IrDuration> symbols() const;

private:
    struct Span
    {
        qint64 minUs = 0;
        qint64 maxUs = 0;
    };

    struct Entry
    {
        qint64 gapSum = 0;
        qint64 burstSum = 0;
        qint64 weight = 0;
        Span gapUs;   // of the pairs it stands for
        Span burstUs;
        qint64 centreGapUs = 0;
        qint64 centreBurstUs = 0;
    };

    struct Nearest
    {
        int entry = -1;
        double distance = 0;
    };

    [[nodiscard]] static IrDuration centre(const Entry &entry);
    [[nodiscard]] qint64 gapUs(const IrDuration &d) const;
    [[nodiscard]] qint64 burstUs(const IrDuration &d) const;
    void updateCentre(Entry &entry) const;
    [[nodiscard]] static double distance(const Entry &a, const Entry &b);
    [[nodiscard]] bool mayMerge(const Entry &a, const Entry &b) const;
    [[nodiscard]] Nearest nearestTo(int entry) const;
    void merge(int into, int from);

    int m_carrierPeriod = 0;
    std::vector<Entry> m_entries;
    std::vector<int> m_symbolEntry; // entry of each symbol
    std::vector<int> m_alive;       // entries not merged into another
    std::vector<int> m_mergedInto;  // -1, or the entry it went into
};
