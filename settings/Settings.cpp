#include "settings/Settings.h"

#include "settings/journal/JournalFormat.h"

std::string SaveProblemText(SaveProblem problem)
{
    switch (problem) {
    case SaveProblem::NoFileBeside:
        return "No new file can be made in its folder, and Velmora needs one there (velmora.jnl) while it saves.";
    case SaveProblem::TooLarge: return "The file is too large to be read safely (over " VELMORA_LARGEST_SETTINGS_FILE_TEXT ").";
    default: return std::string();
    }
}

int EffectiveLockMinutes(int storedMinutes) noexcept
{
    if (storedMinutes <= 0)
        return 0;
    return storedMinutes > kLongestLockAfterMinutes ? kLongestLockAfterMinutes : storedMinutes;
}
