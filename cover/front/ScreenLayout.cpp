#include "cover/front/ScreenLayout.h"

namespace {

bool Contains(const RECT& outer, const RECT& inner) noexcept
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) noexcept
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// `r` without `cut` when that leaves one rectangle, else `r` whole.
RECT Trimmed(RECT r, const RECT& cut) noexcept
{
    const bool spansRows = cut.top <= r.top && cut.bottom >= r.bottom;
    const bool spansColumns = cut.left <= r.left && cut.right >= r.right;
    if (spansRows && cut.left <= r.left)
        r.left = cut.right;
    else if (spansRows && cut.right >= r.right)
        r.right = cut.left;
    else if (spansColumns && cut.top <= r.top)
        r.top = cut.bottom;
    else if (spansColumns && cut.bottom >= r.bottom)
        r.bottom = cut.top;
    return r;
}

long Shift(long low, long high, long areaLow, long areaHigh) noexcept
{
    if (high - low > areaHigh - areaLow || low < areaLow)
        return areaLow - low;
    if (high > areaHigh)
        return areaHigh - high;
    return 0;
}

} // namespace

void MonitorLayout::Add(const RECT& monitor, const RECT& work) noexcept
{
    if (count < kMaxMonitors)
        areas[count++] = MonitorArea{monitor, work};
}

bool SameRect(const RECT& a, const RECT& b) noexcept
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameLayout(const MonitorLayout& a, const MonitorLayout& b) noexcept
{
    if (a.count != b.count)
        return false;
    for (size_t i = 0; i < a.count; ++i) {
        if (!SameRect(a.areas[i].monitor, b.areas[i].monitor) || !SameRect(a.areas[i].work, b.areas[i].work))
            return false;
    }
    return true;
}

RectList CurtainRects(const MonitorLayout& monitors, const RECT& coverMonitor) noexcept
{
    RectList curtains;
    for (size_t i = 0; i < monitors.count; ++i) {
        const RECT& m = monitors.areas[i].monitor;
        if (Contains(coverMonitor, m))
            continue;
        curtains.rects[curtains.count++] = Overlap(coverMonitor, m) ? Trimmed(m, coverMonitor) : m;
    }
    return curtains;
}

bool LiesOnAMonitor(const RECT& window, const MonitorLayout& monitors) noexcept
{
    for (size_t i = 0; i < monitors.count; ++i) {
        if (Contains(monitors.areas[i].monitor, window))
            return true;
    }
    return false;
}

RECT MovedInto(const RECT& window, const RECT& area) noexcept
{
    const long dx = Shift(window.left, window.right, area.left, area.right);
    const long dy = Shift(window.top, window.bottom, area.top, area.bottom);
    return RECT{window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}
