#include "cover/clock/CoverClock.h"

void CoverClock::Start(HWND dialog, int dateId, int clockId)
{
    dialog_ = dialog;
    dateId_ = dateId;
    clockId_ = clockId;
    reading_ = CurrentReading();
    ShowDate();
    ShowClock();
}

void CoverClock::Tick()
{
    const ClockReading previous = reading_;
    reading_ = CurrentReading();
    if (reading_.year != previous.year || reading_.month != previous.month || reading_.day != previous.day)
        ShowDate();
    ShowClock();
}

void CoverClock::ShowDate()
{
    ::SetDlgItemTextA(dialog_, dateId_, DateText(reading_).c_str());
}

void CoverClock::ShowClock()
{
    ::SetDlgItemTextA(dialog_, clockId_, ClockText(reading_).c_str());
}
