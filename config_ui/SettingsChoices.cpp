#include "config_ui/SettingsChoices.h"

#include <utility>

#include "config_ui/SettingsMessages.h"
#include "framework/TextNumbers.h"
#include "settings/PasswordScrambler.h"
#include "settings/StorablePassword.h"

namespace {

// Minutes that Apply would write alike ("00" and "0", " 5" and "5") are no change; text
// that is no number differs from anything but itself.
bool SameMinutes(const std::string& a, const std::string& b)
{
    int first = 0, second = 0;
    if (ParseLockMinutes(a, kLongestLockAfterMinutes, first) && ParseLockMinutes(b, kLongestLockAfterMinutes, second))
        return first == second;
    return a == b;
}

} // namespace

bool HasUnappliedChanges(const SettingsShown& opened, const SettingsShown& now, const PasswordsTyped& typed)
{
    if (typed.old || typed.fresh || typed.again)
        return true;
    const Switches& a = opened.switches;
    const Switches& b = now.switches;
    return a.startUp != b.startUp || a.stretch != b.stretch || a.saveMemoPadText != b.saveMemoPadText ||
           a.hideEudora != b.hideEudora || opened.lockWithWindows != now.lockWithWindows ||
           !SameMinutes(opened.lockMinutes, now.lockMinutes);
}

std::string ApplyChangesQuestion(const PasswordsTyped& typed, bool passwordSet)
{
    std::string question = kApplyChangesQuestion;
    // After the question's first paragraph, before the answers.
    if (passwordSet && !typed.old)
        question.insert(question.find("\n\n"), kOldPasswordNeededNote);
    return question;
}

namespace {

ApplyAnswer Refuse(std::string text, SettingsField focus = SettingsField::kNone)
{
    ApplyAnswer answer;
    answer.refusal = std::move(text);
    answer.focus = focus;
    return answer;
}

} // namespace

ApplyAnswer DecideApply(const ApplyRequest& request)
{
    int minutes = 0;
    if (!ParseLockMinutes(request.now.lockMinutes, kLongestLockAfterMinutes, minutes))
        return Refuse(BadLockMinutesText(kLongestLockAfterMinutes), SettingsField::kLockMinutes);
    // No old password matches then: saying it was wrong would mislead.
    if (request.fileUnreadable)
        return Refuse(SettingsNotSavedText(request.fileName, SaveProblem::TooLarge));
    if (!request.oldPasswordRight)
        return Refuse(kIncorrectOldPasswordText);
    if (request.fresh != request.again)
        return Refuse(kPasswordsDontMatchText);
    if (!request.freshAnsiExact)
        return Refuse(kPasswordOutsideCodePageText);
    // A password the file cannot keep whole would never match again at unlock.
    if (request.freshAnsi.size() > kLongestPassword)
        return Refuse(PasswordTooLongText(kLongestPassword));
    if (!IsStorablePassword(request.freshAnsi))
        return Refuse(UnstorablePasswordText(UnstorablePasswordCharacters(ScramblerKeyByte(ScramblerKey))));
    ApplyAnswer answer;
    answer.switches = request.now.switches;
    answer.lock = {minutes, request.now.lockWithWindows, request.lockMinutesStored, request.lockWithWindowsStored};
    answer.changePassword = !request.fresh.empty();
    answer.newPassword = request.freshAnsi;
    return answer;
}
