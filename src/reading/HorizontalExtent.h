#pragma once

#include <QtGlobal>

#include <limits>

// How far the output window scrolls sideways, in pixels: 7 pixels per character of its first
// line plus 8000 (7993 for an empty list), and never less than its longest line, so every
// line can be scrolled to its end.
inline int HorizontalExtent(qsizetype firstLineLength, int longestLinePixels)
{
    const qint64 byFirstLine = qint64(qMax<qsizetype>(firstLineLength, -1)) * 7 + 8000;
    const qint64 extent = qMax<qint64>(byFirstLine, longestLinePixels);
    return int(qMin<qint64>(extent, std::numeric_limits<int>::max()));
}
