#include "cover/CoverTexts.h"

#include "settings/SettingsLimits.h"

const char* const kIncorrectPasswordText = "Incorrect Password.";
const char* const kCapsLockLine = "Caps Lock is on.";
const char* const kNoPasswordLine =
    "No password is set: Unlock with an empty field opens this cover. "
    "Set one in Message Plug-ins Settings, Velmora, Settings.";
const char* const kFileUnreadableLine =
    "velmora.ini is too large to read (over " VELMORA_LARGEST_SETTINGS_FILE_TEXT "): this cover cannot be unlocked until the file is repaired.";
const char* const kMemoPartLine = "Only the memo's start is shown; the rest is kept after it.";
const char* const kMemoPartSeamLine = "Only the memo's start is shown; the rest follows on a new line.";
const char* const kMemoFullLine = "The memo pad is full: delete something to type more.";

std::string LockUnrecordedLine(SaveProblem problem)
{
    const std::string cause = SaveProblemCause(problem);
    return "The lock could not be saved: " + (cause.empty() ? "it" : cause + ". It") + " won't come back if Eudora ends.";
}

std::string UnsavedMemoQuestion(const std::string& fileName, const std::string& why)
{
    // Closing now would lose what the user wrote: they may keep the cover open and copy
    // it elsewhere first.
    return "The memo pad could not be saved in \"" + fileName + "\". " + (why.empty() ? "" : why + " ") +
           "Press OK to close the cover anyway, or Cancel to keep it open and copy your notes.";
}
