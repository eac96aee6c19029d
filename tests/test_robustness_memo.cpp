// Memo pad texts of every shape through the stored form and the real settings file:
// line breaks of all kinds, TABs, blanks and quotes at the edges, every byte from 1 to
// 255, up to the longest memo the pad takes. What is saved must read back as it was
// typed, except that every line break (and every TAB) comes back as CR LF, and the
// other settings in the file must stay as they were.
#include <gtest/gtest.h>

#include <string>

#include "settings/MemoCodec.h"
#include "settings/ProfileValue.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "support/Seeds.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// The longest memo these runs write; the pad's own limit is lower.
constexpr size_t kLongestMemo = 32767;


std::string RandomMemo(Random& random, size_t longest)
{
    static const char* const kPieces[] = {
        "\r\n", "\r\n\r\n", "\r", "\n", "\t", "\r\r\n", "\n\r", " ", "   ", "\"", "'", "\"quoted\"",
        "=", "[Settings]", ";", "Password=x", "\x1a", "\v", "\f", "\xA0", "\xFF", "\x80", "word",
        "Shopping list", "\xE9t\xE9",
    };
    const size_t length = random.OneIn(10) ? longest : random.Below(static_cast<uint32_t>(longest) + 1);
    std::string memo;
    while (memo.size() < length) {
        switch (random.Below(3)) {
        case 0: memo += random.Pick(kPieces); break;
        case 1: memo += random.Bytes(1 + random.Below(12)); break;
        default: memo += std::string(1 + random.Below(30), static_cast<char>('a' + random.Below(26))); break;
        }
    }
    memo.resize(length);
    return memo;
}

class MemoRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        path_ = dir_.File("velmora.ini");
        UseSettingsFile(path_);
        WriteFileBytes(path_, "[Settings]\r\nPassword=\"^Y\"\r\nStartUp=1\r\nMemoPadText=old\r\nHideEudora=1\r\n");
    }
    // Saves through the store and checks the load and the neighbouring keys.
    void ExpectRoundTrip(const std::string& typed)
    {
        ASSERT_TRUE(IsStorableProfileValue(MemoToStored(typed)));
        ASSERT_TRUE(TestSettings().SaveMemoPadText(WideFromAnsi(typed)));
        ASSERT_EQ(MemoAsReloaded(typed), AnsiOrQuestionMarks(TestSettings().LoadMemoPadText()));
        ASSERT_EQ("^Y", StoredString(kKeyPassword, "", path_));
        ASSERT_EQ(1, StoredInt(kKeyStartUp, 0, path_));
        ASSERT_EQ(1, StoredInt(kKeyHideEudora, 0, path_));
    }

    ScratchDir dir_;
    std::string path_;
};

TEST_F(MemoRoundTrip, RandomMemosReadBackAsTypedWithLineBreaksAsCrLf)
{
    const uint32_t base = RunSeed(4242);
    for (uint32_t round = 0; round < 300; ++round) {
        const uint32_t seed = base + round;
        SCOPED_TRACE(SeedNote(seed));
        Random random(seed);
        ExpectRoundTrip(RandomMemo(random, round % 50 == 0 ? kLongestMemo : 600));
    }
    // The file keeps one line per key, whatever the memos held.
    const std::string file = ReadFileBytes(path_);
    size_t lines = 0;
    for (size_t at = file.find("\r\n"); at != std::string::npos; at = file.find("\r\n", at + 2))
        ++lines;
    EXPECT_EQ(5u, lines);
}

TEST_F(MemoRoundTrip, EveryByteAtStartMiddleAndEndOfEveryLine)
{
    for (int c = 1; c < 256; ++c) {
        const std::string b(1, static_cast<char>(c));
        SCOPED_TRACE("byte " + std::to_string(c));
        ExpectRoundTrip(b + "first" + b + "line" + b + "\r\n" + b + "second" + b + "\r\n" + b);
        ExpectRoundTrip(b);
    }
}

TEST_F(MemoRoundTrip, LineBreakShapesAndEmptyLines)
{
    for (const char* typed : {"", "\r\n", "\r\n\r\n\r\n", "\r", "\n", "\n\r", "\r\r\n\n", "\t\t",
                              "a\r\n\r\nb", " \r\n ", "\"\r\n\"", "'\t'", "end\r\n", "\r\nstart"}) {
        SCOPED_TRACE(::testing::PrintToString(std::string(typed)));
        ExpectRoundTrip(typed);
    }
}

} // namespace
