// The stored password form: reversed, every byte XORed with the key byte.
#include <gtest/gtest.h>

#include "settings/PasswordScrambler.h"

namespace {

std::string AllHighBytes()
{
    std::string text;
    for (int c = 128; c < 256; ++c)
        text += static_cast<char>(c);
    return text;
}

TEST(PasswordScrambler, KeyByteIsLengthPlusCharacterCodes)
{
    // 5 + 't' 116 + 'a' 97 + 'v' 118 + 'o' 111 + 'k' 107 = 554 = 2 * 256 + 42
    EXPECT_EQ(42, ScramblerKeyByte(ScramblerKey));
    EXPECT_EQ(std::string("tavok"), ScramblerKey);
    EXPECT_EQ(0, ScramblerKeyByte(""));
    // High bytes count unsigned and the sum wraps: 1 + 255 = 256 -> 0; 2 + 2 * 200 = 402 -> 146.
    EXPECT_EQ(0, ScramblerKeyByte("\xFF"));
    EXPECT_EQ(146, ScramblerKeyByte("\xC8\xC8"));
    // The order of the characters does not matter.
    EXPECT_EQ(ScramblerKeyByte("tavok"), ScramblerKeyByte("kovat"));
}

TEST(PasswordScrambler, ReversesAndXorsWithTheKeyByte)
{
    struct Case {
        std::string text, key, scrambled;
    } cases[] = {
        {"", ScramblerKey, ""},
        {"a", ScramblerKey, std::string(1, 'a' ^ 42)},                   // 'K'
        {"ab", ScramblerKey, std::string{'b' ^ 42, 'a' ^ 42}},           // first from last
        {"secret", ScramblerKey, "^OXIOY"},
        {"abc", "", "cba"},                                              // empty key: reversed only
        {"\x2A", ScramblerKey, std::string(1, '\0')},                     // a byte equal to the key byte
        {"\xFF\x80", ScramblerKey, std::string{'\x80' ^ 42, '\xFF' ^ 42}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.scrambled, Scramble(c.text, c.key)) << "text [" << c.text << "] key [" << c.key << "]";
}

TEST(PasswordScrambler, ScramblingTwiceGivesTheTextBack)
{
    const std::string texts[] = {
        "x", "Password1", std::string(1000, 'q') + "end", AllHighBytes(), "mixed \xE9t\xE9 \t\"'",
    };
    for (const char* key : {ScramblerKey, "", "another key"}) {
        for (const std::string& text : texts) {
            const std::string once = Scramble(text, key);
            EXPECT_EQ(text.size(), once.size());
            EXPECT_EQ(text, Scramble(once, key)) << "key [" << key << "]";
        }
    }
    // With a non-zero key byte the stored form differs from the password.
    EXPECT_NE("aa", Scramble("aa", ScramblerKey));
}

} // namespace
