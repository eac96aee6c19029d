// Keeps the cover on the screens as the monitors come, go and change size. Stretched,
// the cover fills its monitor and every other monitor gets a curtain: a plain
// window of the plug-in's own that never takes the focus and sends a click on it back
// to the cover (see CoverFront). Unstretched, the cover is kept wholly on a monitor that
// exists.
#pragma once
#include <windows.h>

#include "cover/front/ScreenLayout.h"

class CoverScreens {
public:
    CoverScreens() = default;
    ~CoverScreens();
    CoverScreens(const CoverScreens&) = delete;
    CoverScreens& operator=(const CoverScreens&) = delete;

    // The cover is up (and maximised when stretched): the curtains come now.
    void Follow(HWND cover, bool stretched) noexcept;
    // A display change: fitted again at once.
    void Refit() noexcept;
    // The clock tick: fitted again if the monitors changed since the last fit (not
    // every change of monitors is announced to every window).
    void Recheck() noexcept;
    // The cover goes: so do the curtains.
    void End() noexcept;

    // The curtains' window class goes with the plug-in (ems_plugin_finish), so that a
    // second load can register it again.
    static void UnregisterClass() noexcept;

private:
    void FitCover(const MonitorArea& own) noexcept;
    void FitCurtains(const RectList& rects) noexcept;

    HWND cover_ = nullptr;
    bool stretched_ = false;
    MonitorLayout layout_;
    HWND curtains_[kMaxMonitors] = {};
    size_t curtainCount_ = 0;
};
