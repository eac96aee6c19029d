// Which passwords the settings file can keep: plain logic on the key byte.
#include <gtest/gtest.h>

#include <string>

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

// Every byte at the start, inside, at the end and alone: refused exactly when it is one
// of the key's refused characters, whatever stands around it.
TEST(PasswordStorage, EveryByteAtEveryPlaceIsRefusedExactlyWhenTheKeyRefusesIt)
{
    const std::string refused = kRefusedCharacters;
    for (int b = 1; b <= 255; ++b) {
        const std::string c(1, static_cast<char>(b));
        for (const std::string& password : {c + "pass", "pa" + c + "ss", "pass" + c, c})
            EXPECT_EQ(refused.find(c) == std::string::npos, IsStorablePassword(password)) << "byte " << b;
    }
}
} // namespace
