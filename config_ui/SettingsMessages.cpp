#include "config_ui/SettingsMessages.h"

#include <vector>

#include "framework/TextNumbers.h"

const char* const kIncorrectOldPasswordText = "Incorrect old password.";
const char* const kPasswordsDontMatchText =
    "Passwords don't match. Please re-enter the new password.";

const char* const kApplyChangesQuestion =
    "You typed a password or changed a setting that is not saved yet. Save it now?\n\n"
    "Yes: save it, as the Apply button does.\n"
    "No: close without saving anything.\n"
    "Cancel: go back to the settings.";
const char* const kOldPasswordNeededNote =
    " A password is set: saving anything, the switches too, needs it typed in Old Password.";

const char* const kPasswordOutsideCodePageText =
    "The new password contains a character that this system's character set (its ANSI "
    "code page) does not have, such as a letter of another alphabet or an emoji. The "
    "settings file cannot keep such a password exactly. Please enter a new password "
    "without it.";

namespace {

// Visible characters in quotes first, then the space, then any others by their code:
// a user reads the short list at a glance.
std::vector<std::string> CharacterNames(const std::string& characters)
{
    std::vector<std::string> visible, space, others;
    for (char c : characters) {
        const unsigned code = static_cast<unsigned char>(c);
        if (code > 0x20 && code < 0x7F)
            visible.push_back(std::string("\"") + c + "\"");
        else if (code == 0x20)
            space.push_back("a space");
        else
            others.push_back("the character with code " + DecimalText(code));
    }
    std::vector<std::string> names = visible;
    names.insert(names.end(), space.begin(), space.end());
    names.insert(names.end(), others.begin(), others.end());
    return names;
}

} // namespace

std::string UnstorablePasswordText(const std::string& characters)
{
    const std::vector<std::string> names = CharacterNames(characters);
    std::string list;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            list += (i + 1 == names.size()) ? " or " : ", ";
        list += names[i];
    }
    return "The new password cannot contain " + list +
           ": the settings file cannot keep a password with such a character. "
           "Please enter a different new password.";
}

std::string PasswordTooLongText(size_t longest)
{
    return "The new password is too long: it can have at most " +
           DecimalText(static_cast<long long>(longest)) + " characters.";
}

std::string SettingsNotSavedText(const std::string& path, SaveProblem problem)
{
    const std::string why = SaveProblemText(problem);
    return "The settings could not be saved in \"" + path + "\". " +
           (why.empty() ? "Check that the folder exists and that the file is not read-only, then press Apply again."
                        : why + " Put that right, then press Apply again.");
}

std::string BadLockMinutesText(int longest)
{
    return "\"Lock after\" takes a whole number of minutes from 0 to " + DecimalText(longest) +
           " (0: never). Please correct the number.";
}
