// Wrong passwords at the cover: how long guessing is held off, and the line that tells
// the user about it. Plain logic on counts and clock readings, apart from the cover.
//
// Five wrong passwords in a row cost nothing. Each one after that makes the cover take
// no password at all for a while: 30 seconds after the sixth, twice as long after each
// further one, never more than 5 minutes. Someone guessing gets about 20 tries in the
// first hour instead of thousands. The count and the time of the last wrong password
// are kept in the settings file, so ending the client does not end the wait.
#pragma once
#include <cstdint>
#include <string>

#include "settings/Settings.h"

constexpr int kFreeWrongPasswords = 5;
constexpr uint32_t kFirstWaitSeconds = 30;
constexpr uint32_t kLongestWaitSeconds = 300;

// The wait after `wrongInARow` wrong passwords, in seconds: 0 up to kFreeWrongPasswords.
uint32_t WaitAfterWrongPasswords(int wrongInARow) noexcept;

// Times the wait on this machine's tick count (milliseconds, wrapping), which no change
// of the clock affects. A record first seen (the cover just came up, the client was
// restarted, the file was changed) is placed on the tick count once, from the clock:
// a clock set back counts as no time passed, so the wait is at most a full one from
// then, never longer.
class WrongPasswordWait {
public:
    // Milliseconds until a password is taken again; 0 when one is taken now.
    uint32_t Remaining(const WrongPasswordRecord& record, long long now, uint32_t tick) noexcept;
    // One more wrong password typed now: the record to keep.
    WrongPasswordRecord AddWrong(const WrongPasswordRecord& record, long long now,
                                 uint32_t tick) noexcept;

private:
    void Place(const WrongPasswordRecord& record, long long now, uint32_t tick) noexcept;

    bool placed_ = false;
    bool over_ = false;
    WrongPasswordRecord record_;
    // The tick of the last wrong password, in this process's terms.
    uint32_t lastTick_ = 0;
};

// "4 minutes 20 seconds", "1 minute", "45 seconds": whole seconds, rounded up.
std::string WaitText(uint32_t milliseconds);

// The cover's line about wrong passwords: their number and when the last was typed
// (`lastTimeText`, as the system formats it), and while a wait runs, how long it has
// left. Empty for no wrong password.
std::string WrongPasswordsText(int count, const std::string& lastTimeText, uint32_t waitMs);
