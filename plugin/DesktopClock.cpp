#include "plugin/DesktopClock.h"

DWORD SystemClock::Now() const noexcept
{
    return ::GetTickCount();
}

DWORD SystemClock::LastInput() const noexcept
{
    LASTINPUTINFO input{};
    input.cbSize = sizeof input;
    ::GetLastInputInfo(&input);
    return input.dwTime;
}
