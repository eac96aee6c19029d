// The settings dialog's decisions as tables: what Enter asks about, and what Apply
// refuses (in which order, with which message, where the focus goes) or writes; and the
// texts it names refused characters and unsaved settings by.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config_ui/SettingsChoices.h"
#include "config_ui/SettingsMessages.h"
#include "settings/StorablePassword.h"

namespace {

// What the dialog shows now, against a fresh file's opening (the defaults, the lock off,
// "0" minutes), with the password fields typed into.
struct ChangeRow {
    const char* name;
    SettingsShown now;
    PasswordsTyped typed;
    bool unapplied;
};

const SettingsShown kOpened{{0, 0, 1, 0}, 0, "0"};

const ChangeRow kChangeRows[] = {
    {"nothing touched", kOpened, {}, false},
    {"Start-Up alone", {{1, 0, 1, 0}, 0, "0"}, {}, true},
    {"Stretch alone", {{0, 1, 1, 0}, 0, "0"}, {}, true},
    {"Save Memo Pad Text alone", {{0, 0, 0, 0}, 0, "0"}, {}, true},
    {"Hide Eudora alone", {{0, 0, 1, 1}, 0, "0"}, {}, true},
    {"Lock with Windows alone", {{0, 0, 1, 0}, 1, "0"}, {}, true},
    {"the minutes alone", {{0, 0, 1, 0}, 0, "15"}, {}, true},
    {"the minutes emptied", {{0, 0, 1, 0}, 0, ""}, {}, true},
    {"the same minutes written otherwise", {{0, 0, 1, 0}, 0, " 00"}, {}, false},
    {"no number for minutes", {{0, 0, 1, 0}, 0, "0x"}, {}, true},
    {"old password typed", kOpened, {true, false, false}, true},
    {"new password typed", kOpened, {false, true, false}, true},
    {"new password typed again only", kOpened, {false, false, true}, true},
};

TEST(SettingsChoices, EnterAsksAboutEveryChangeAndNothingElse)
{
    for (const ChangeRow& row : kChangeRows)
        EXPECT_EQ(row.unapplied, HasUnappliedChanges(kOpened, row.now, row.typed)) << row.name;
    // A box clicked twice: back as opened is no change; a stored 2 (shown unchecked)
    // clicked on and off again is written as 0, a change.
    EXPECT_FALSE(HasUnappliedChanges({{0, 1, 1, 0}, 0, "0"}, {{0, 1, 1, 0}, 0, "0"}, {}));
    EXPECT_TRUE(HasUnappliedChanges({{2, 0, 1, 0}, 0, "0"}, {{0, 0, 1, 0}, 0, "0"}, {}));
}

TEST(SettingsChoices, TheQuestionNamesOldPasswordOnlyWhenYesWouldBeRefusedWithoutIt)
{
    const std::string named = std::string("Save it now?") + kOldPasswordNeededNote + "\n\nYes:";
    struct Row {
        bool oldTyped;
        bool passwordSet;
        bool names;
    } const rows[] = {{false, true, true}, {true, true, false}, {false, false, false}};
    for (const Row& row : rows) {
        std::string question = ApplyChangesQuestion({row.oldTyped, true, true}, row.passwordSet);
        EXPECT_EQ(row.names, question.find(named) != std::string::npos) << question;
        const size_t note = question.find(kOldPasswordNeededNote);
        if (note != std::string::npos)
            question.erase(note, std::strlen(kOldPasswordNeededNote));
        EXPECT_EQ(kApplyChangesQuestion, question) << "the rest as it was";
    }
}

// ---- Apply ---------------------------------------------------------------------------

WideText Wide(const std::string& text)
{
    return WideText(text.begin(), text.end());
}

struct ApplyRow {
    const char* name;
    const char* minutes;
    bool oldRight;
    std::string fresh;
    std::string again;
    bool exact;
    // The refusal expected, empty when Apply writes; then the minutes and password written.
    std::string refusal;
    int writtenMinutes;
    bool unreadable = false;   // the settings file is too large to read
};

const std::string kBadMinutes = BadLockMinutesText(kLongestLockAfterMinutes);
const std::string kUnstorable = UnstorablePasswordText(" '*");
const std::string kLongest(kLongestPassword, 'p');
const char* const kFile = "C:\\Mail\\velmora.ini";
// In its words, not built by the function under test: a wrong cause named would pass.
const std::string kTooLarge = "The settings could not be saved in \"C:\\Mail\\velmora.ini\". The file is too large "
                              "to be read safely (over 4 MB). Put that right, then press Apply again.";

const ApplyRow kApplyRows[] = {
    {"switches only", "0", true, "", "", true, "", 0},
    {"blanks around the minutes", " 15 ", true, "", "", true, "", 15},
    {"the most minutes", "999", true, "", "", true, "", 999},
    {"leading zeros", "007", true, "", "", true, "", 7},
    {"a new password", "0", true, "n3w-Pass", "n3w-Pass", true, "", 0},
    {"the longest new password", "0", true, kLongest, kLongest, true, "", 0},
    {"minutes over the most", "1000", true, "", "", true, kBadMinutes, 0},
    {"minutes no number", "abc", true, "", "", true, kBadMinutes, 0},
    {"minutes negative", "-5", true, "", "", true, kBadMinutes, 0},
    {"minutes empty", "", true, "", "", true, kBadMinutes, 0},
    {"minutes with a blank inside", "1 5", true, "", "", true, kBadMinutes, 0},
    {"the minutes come before the old password", "abc", false, "one", "two", true, kBadMinutes, 0},
    {"wrong old password", "0", false, "", "", true, kIncorrectOldPasswordText, 0},
    {"a file too large to read, not a wrong old password", "0", false, "", "", true, kTooLarge, 0, true},
    {"the minutes come before the file", "abc", false, "", "", true, kBadMinutes, 0, true},
    {"the old password comes before the match", "0", false, "one", "two", true, kIncorrectOldPasswordText, 0},
    {"new fields differ", "0", true, "new one", "new 0ne", true, kPasswordsDontMatchText, 0},
    {"a prefix is no match", "0", true, "abc", "abcd", true, kPasswordsDontMatchText, 0},
    {"only the second typed", "0", true, "", "x", true, kPasswordsDontMatchText, 0},
    {"outside the code page", "0", true, "zhuk", "zhuk", false, kPasswordOutsideCodePageText, 0},
    {"one longer than the longest", "0", true, kLongest + "p", kLongest + "p", true,
     PasswordTooLongText(kLongestPassword), 0},
    {"a space first", "0", true, " secret", " secret", true, kUnstorable, 0},
    {"a quote inside", "0", true, "sec'ret", "sec'ret", true, kUnstorable, 0},
    {"a star last", "0", true, "secret*", "secret*", true, kUnstorable, 0},
};

TEST(SettingsChoices, ApplyRefusesInOrderOrWritesWhatTheDialogShows)
{
    for (const ApplyRow& row : kApplyRows) {
        SCOPED_TRACE(row.name);
        ApplyRequest request;
        request.now.switches = {1, 2, 0, 1};
        request.now.lockWithWindows = 1;
        request.now.lockMinutes = row.minutes;
        request.lockMinutesStored = true;
        request.fileUnreadable = row.unreadable;
        request.fileName = kFile;
        request.oldPasswordRight = row.oldRight;
        request.fresh = Wide(row.fresh);
        request.again = Wide(row.again);
        request.freshAnsi = row.fresh;
        request.freshAnsiExact = row.exact;
        const ApplyAnswer answer = DecideApply(request);
        EXPECT_EQ(row.refusal, answer.refusal);
        EXPECT_EQ(row.refusal == kBadMinutes ? SettingsField::kLockMinutes : SettingsField::kNone, answer.focus);
        if (!row.refusal.empty())
            continue;
        EXPECT_EQ(1, answer.switches.startUp);
        EXPECT_EQ(2, answer.switches.stretch) << "a value never clicked is written back as read";
        EXPECT_EQ(0, answer.switches.saveMemoPadText);
        EXPECT_EQ(1, answer.switches.hideEudora);
        EXPECT_EQ(row.writtenMinutes, answer.lock.afterMinutes);
        EXPECT_EQ(1, answer.lock.withWindows);
        EXPECT_TRUE(answer.lock.afterMinutesStored);
        EXPECT_FALSE(answer.lock.withWindowsStored);
        EXPECT_EQ(!row.fresh.empty(), answer.changePassword);
        EXPECT_EQ(row.fresh, answer.newPassword);
    }
}

// ---- texts -----------------------------------------------------------------------

TEST(SettingsMessages, TheRefusalNamesEachCharacterReadably)
{
    EXPECT_NE(std::string::npos,
              UnstorablePasswordText(" '*").find("cannot contain \"'\", \"*\" or a space:"));
    EXPECT_NE(std::string::npos,
              UnstorablePasswordText("\n\r").find("cannot contain the character with code 10 or the character with code 13:"));
    EXPECT_NE(std::string::npos, UnstorablePasswordText("x").find("cannot contain \"x\":"));
    EXPECT_NE(std::string::npos, SettingsNotSavedText("C:\\Mail\\velmora.ini").find("\"C:\\Mail\\velmora.ini\""));
}

} // namespace
