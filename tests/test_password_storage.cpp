// Which passwords the settings file can keep, and how the settings dialog names the
// characters it cannot: plain logic on the key byte.
#include <gtest/gtest.h>

#include <string>

#include "config_ui/SettingsMessages.h"
#include "settings/PasswordScrambler.h"
#include "settings/StorablePassword.h"

namespace {

// What the key "tavok" refuses: the characters whose stored form is a zero byte, LF or CR.
constexpr char kRefusedCharacters[] = " '*";

TEST(PasswordStorage, RefusedCharactersFollowFromTheKeyByte)
{
    EXPECT_EQ(42, ScramblerKeyByte(ScramblerKey));
    EXPECT_EQ(std::string(kRefusedCharacters), UnstorablePasswordCharacters(42));
    EXPECT_EQ(std::string("\n\r"), UnstorablePasswordCharacters(0));
    EXPECT_EQ(std::string("\x80\x8A\x8D"), UnstorablePasswordCharacters(0x80));
}

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
