// The cover's date line and running clock.
#pragma once
#include <windows.h>

#include "cover/clock/DateClockText.h"

class CoverClock {
public:
    // The lines `dateId` and `clockId` of `dialog`, shown now.
    void Start(HWND dialog, int dateId, int clockId);
    // The clock tick: the time, and past midnight the new day.
    void Tick();

private:
    void ShowDate();
    void ShowClock();

    HWND dialog_ = nullptr;
    int dateId_ = 0;
    int clockId_ = 0;
    ClockReading reading_;
};
