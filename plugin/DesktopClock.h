// The two readings the automatic lock takes of the desktop, both GetTickCount-style
// ticks: the time now and the last keyboard or mouse input anywhere on it. The plug-in's
// owner hands the system's to the commands (which note when a cover ended) and to the
// lock; a test hands one it moves, so that a minute without input passes at once.
#pragma once
#include <windows.h>

class DesktopClock {
public:
    virtual DWORD Now() const noexcept = 0;
    virtual DWORD LastInput() const noexcept = 0;

protected:
    ~DesktopClock() = default;
};

// GetTickCount and GetLastInputInfo.
class SystemClock final : public DesktopClock {
public:
    DWORD Now() const noexcept override;
    DWORD LastInput() const noexcept override;
};
