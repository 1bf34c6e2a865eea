#include "gui/grid/GridGeometry.h"

#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <utility>

namespace GridGeometry {
namespace {

constexpr int PlaceholderChars = 10;

} // namespace

QString columnAtX(int x, const QList<int> &widths, const QStringList &names)
{
    const qsizetype count = std::min(widths.size(), names.size());
    int start = IndicatorWidth;
    for (qsizetype i = 0; i < count; ++i) {
        if (start < x && x < start + widths.at(i))
            return names.at(i);
        start += widths.at(i);
    }
    return {};
}

PressTarget pressTargetAtX(int x, int idColumnWidth)
{
    if (x > IndicatorWidth && x <= SendStripEnd)
        return PressTarget::SendStrip;
    if (x > SendStripEnd && x <= IndicatorWidth + idColumnWidth)
        return PressTarget::IdCell;
    return PressTarget::None;
}

int displayWidthChars(const QString &fieldName)
{
    static const std::array<std::pair<QLatin1String, int>, 5> widths{{
        {QLatin1String("ID"), 6},
        {QLatin1String("Function"), 16},
        {QLatin1String("Format"), 7},
        {QLatin1String("Carry"), 6},
        {QLatin1String("Remark"), 120},
    }};
    for (const auto &[name, chars] : widths) {
        if (fieldName.compare(name, Qt::CaseInsensitive) == 0)
            return chars;
    }
    return PlaceholderChars;
}

QString cellText(const QString &text, const QFontMetrics &metrics, int width)
{
    const qsizetype visible = std::max(width, 0) + 1;
    const QString start = text.size() > visible ? text.left(visible) + QChar(0x2026) : text;
    return metrics.elidedText(start, Qt::ElideRight, width);
}

} // namespace GridGeometry
