#include "settings/Settings.h"

#include "settings/SettingsLimits.h"

namespace {

// Each problem's words, in both forms: the one place that says which problem is which.
struct SaveProblemWords {
    const char* sentence;
    const char* cause;
};

SaveProblemWords WordsFor(SaveProblem problem) noexcept
{
    switch (problem) {
    case SaveProblem::NoFileBeside:
        return {"No new file can be made in its folder, and Velmora needs one there (velmora.jnl) while it saves.",
                "no new file can be made beside velmora.ini"};
    case SaveProblem::TooLarge:
        return {"The file is too large to be read safely (over " VELMORA_LARGEST_SETTINGS_FILE_TEXT ").",
                "velmora.ini is too large to read (over " VELMORA_LARGEST_SETTINGS_FILE_TEXT ")"};
    default: return {"", ""};
    }
}

} // namespace

std::string SaveProblemText(SaveProblem problem)
{
    return WordsFor(problem).sentence;
}

std::string SaveProblemCause(SaveProblem problem)
{
    return WordsFor(problem).cause;
}

int EffectiveLockMinutes(int storedMinutes) noexcept
{
    if (storedMinutes <= 0)
        return 0;
    return storedMinutes > kLongestLockAfterMinutes ? kLongestLockAfterMinutes : storedMinutes;
}
