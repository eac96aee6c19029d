#include "cover/unlock/WrongPasswordGate.h"

#include <windows.h>

#include "cover/clock/DateClockText.h"
#include "settings/SettingsFile.h"

uint32_t WrongPasswordGate::Wait()
{
    if (!unsaved_)
        record_ = settings_.ReadWrongPasswordRecord();
    return wait_.Remaining(record_, UtcSecondsNow(), ::GetTickCount());
}

void WrongPasswordGate::AddWrong()
{
    record_ = wait_.AddWrong(record_, UtcSecondsNow(), ::GetTickCount());
    unsaved_ = !settings_.RecordWrongPasswords(record_);
}

void WrongPasswordGate::Clear()
{
    settings_.ClearWrongPasswords();
    record_ = WrongPasswordRecord();
    unsaved_ = false;
}

std::string WrongPasswordGate::Line()
{
    if (record_.count <= 0)
        return std::string();
    const long long now = UtcSecondsNow();
    return WrongPasswordsText(record_.count, LocalTimeText(record_.lastTime, now),
                              wait_.Remaining(record_, now, ::GetTickCount()));
}
