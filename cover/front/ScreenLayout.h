// Where the cover and its curtains go, given the monitors: plain rectangles, no windows.
#pragma once
#include <windows.h>

#include <cstddef>

// A monitor's whole area and the part of it left to windows (without the taskbar).
struct MonitorArea {
    RECT monitor;
    RECT work;
};

// Fixed arrays rather than the runtime's containers: they keep the plug-in small. A
// desk with more monitors than this has its first ones covered.
constexpr size_t kMaxMonitors = 16;

struct MonitorLayout {
    MonitorArea areas[kMaxMonitors];
    size_t count = 0;
    void Add(const RECT& monitor, const RECT& work) noexcept;
};

struct RectList {
    RECT rects[kMaxMonitors];
    size_t count = 0;
};

bool SameRect(const RECT& a, const RECT& b) noexcept;
bool SameLayout(const MonitorLayout& a, const MonitorLayout& b) noexcept;

// The curtains of a stretched cover: one per monitor other than the cover's, each the
// whole monitor. A monitor inside the cover's (a duplicated display) needs none; a part
// shared with the cover's monitor is left to the cover where what remains is one
// rectangle. (Windows lays monitors side by side; only a layout it does not make could
// leave a curtain over part of the cover's monitor.)
RectList CurtainRects(const MonitorLayout& monitors, const RECT& coverMonitor) noexcept;

// True when `window` lies wholly on one monitor.
bool LiesOnAMonitor(const RECT& window, const MonitorLayout& monitors) noexcept;

// `window` moved the least so that it lies within `area`; its size is kept, and a window
// larger than the area keeps its top left corner in it.
RECT MovedInto(const RECT& window, const RECT& area) noexcept;
