#include "cover/unlock/WrongPasswords.h"

#include <climits>

#include "framework/TextNumbers.h"

uint32_t WaitAfterWrongPasswords(int wrongInARow) noexcept
{
    if (wrongInARow <= kFreeWrongPasswords)
        return 0;
    const int doublings = wrongInARow - kFreeWrongPasswords - 1;
    // Past four doublings the wait is at its longest anyway (and the shift stays small).
    if (doublings >= 4)
        return kLongestWaitSeconds;
    const uint32_t wait = kFirstWaitSeconds << doublings;
    return wait < kLongestWaitSeconds ? wait : kLongestWaitSeconds;
}

void WrongPasswordWait::Place(const WrongPasswordRecord& record, long long now,
                              uint32_t tick) noexcept
{
    record_ = record;
    placed_ = true;
    long long elapsed = now - record.lastTime;
    if (elapsed < 0)
        elapsed = 0;
    const uint32_t wait = WaitAfterWrongPasswords(record.count);
    over_ = elapsed >= static_cast<long long>(wait);
    lastTick_ = over_ ? tick : tick - static_cast<uint32_t>(elapsed) * 1000u;
}

uint32_t WrongPasswordWait::Remaining(const WrongPasswordRecord& record, long long now,
                                      uint32_t tick) noexcept
{
    if (!placed_ || record != record_)
        Place(record, now, tick);
    if (over_)
        return 0;
    const uint32_t wait = WaitAfterWrongPasswords(record.count) * 1000u;
    const uint32_t elapsed = tick - lastTick_;
    if (elapsed >= wait) {
        // Once over, it stays over: the tick count wraps after 49.7 days.
        over_ = true;
        return 0;
    }
    return wait - elapsed;
}

WrongPasswordRecord WrongPasswordWait::AddWrong(const WrongPasswordRecord& record, long long now,
                                                uint32_t tick) noexcept
{
    WrongPasswordRecord next;
    next.count = record.count <= 0 ? 1 : (record.count == INT_MAX ? INT_MAX : record.count + 1);
    next.lastTime = now;
    record_ = next;
    placed_ = true;
    over_ = false;
    lastTick_ = tick;
    return next;
}

std::string WaitText(uint32_t milliseconds)
{
    const uint32_t seconds = milliseconds / 1000u + (milliseconds % 1000u != 0 ? 1u : 0u);
    const uint32_t minutes = seconds / 60u;
    const uint32_t rest = seconds % 60u;
    std::string text;
    if (minutes > 0)
        text = DecimalText(minutes) + (minutes == 1 ? " minute" : " minutes");
    if (rest > 0 || minutes == 0) {
        if (!text.empty())
            text += ' ';
        text += DecimalText(rest) + (rest == 1 ? " second" : " seconds");
    }
    return text;
}

std::string WrongPasswordsText(int count, const std::string& lastTimeText, uint32_t waitMs)
{
    if (count <= 0)
        return "";
    std::string text = count == 1
        ? "1 wrong password while locked, at " + lastTimeText + "."
        : DecimalText(count) + " wrong passwords while locked, the last at " + lastTimeText + ".";
    if (waitMs > 0)
        text += "\r\nPlease wait " + WaitText(waitMs) + " before the next try.";
    return text;
}
