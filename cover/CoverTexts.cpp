#include "cover/CoverTexts.h"

#include "settings/journal/JournalFormat.h"

const char* const kIncorrectPasswordText = "Incorrect Password.";
const char* const kCapsLockLine = "Caps Lock is on.";
const char* const kNoPasswordLine =
    "No password is set: Unlock with an empty field opens this cover. "
    "Set one in Message Plug-ins Settings, Velmora, Settings.";
const char* const kLockUnrecordedLine = "The lock could not be saved: it won't come back if Eudora ends.";
const char* const kLockUnrecordedNoFileBesideLine =
    "The lock could not be saved: no new file can be made beside velmora.ini. It won't come back if Eudora ends.";
const char* const kFileUnreadableLine =
    "velmora.ini is too large to read (over " VELMORA_LARGEST_SETTINGS_FILE_TEXT "): this cover cannot be unlocked until the file is repaired.";

std::string UnsavedMemoQuestion(const std::string& fileName, const std::string& why)
{
    // Closing now would lose what the user wrote: they may keep the cover open and copy
    // it elsewhere first.
    return "The memo pad could not be saved in \"" + fileName + "\". " + (why.empty() ? "" : why + " ") +
           "Press OK to close the cover anyway, or Cancel to keep it open and copy your notes.";
}
