// The settings file through the real profile functions, and the string logic that
// keeps values intact on their way through them.
#include <gtest/gtest.h>

#include <climits>
#include <cwchar>

#include "settings/MemoCodec.h"
#include "settings/PasswordScrambler.h"
#include "settings/ProfileValue.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { path_ = dir_.File("velmora.ini"); }
    std::string Read(const std::string& key, const std::string& def = "<default>")
    {
        return StoredString(key, def, path_);
    }
    int ReadInt(const std::string& key, int def) { return StoredInt(key, def, path_); }

    ScratchDir dir_;
    std::string path_;
};

// ---- path rule and existence test ------------------------------------------------

TEST(SettingsPath, AppendsBackslashAndFileNameWhateverTheDirectoryEndsWith)
{
    EXPECT_EQ("C:\\Mail\\Plugins\\velmora.ini", SettingsPathFor("C:\\Mail\\Plugins"));
    EXPECT_EQ("C:\\Mail\\Plugins\\\\velmora.ini", SettingsPathFor("C:\\Mail\\Plugins\\"));
    EXPECT_EQ("\\velmora.ini", SettingsPathFor(""));
}

TEST_F(SettingsFileTest, FileExistsFindsFilesAndDirectoriesButNeverShortPaths)
{
    EXPECT_FALSE(FileExists(path_));
    WriteFileBytes(path_, "");
    EXPECT_TRUE(FileExists(path_));
    EXPECT_TRUE(FileExists(dir_.path())) << "a directory counts";
    // C:\ exists, but paths of three characters or fewer are never searched.
    EXPECT_FALSE(FileExists("C:\\"));
    EXPECT_FALSE(FileExists("C:"));
    EXPECT_TRUE(FileExists("C:\\windows"));
    EXPECT_FALSE(FileExists(""));
}

// ---- first-run creation and the held file -----------------------------------------

TEST_F(SettingsFileTest, FirstRunCreatesSectionWithEmptyPassword)
{
    SettingsFile(path_).CreateIfMissing();
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(path_));
}

TEST_F(SettingsFileTest, FirstRunLeavesAnExistingFileByteForByte)
{
    const std::string existing = "; mine\n[Other]\nA=1\n[Settings]\nStartUp=1\n";
    WriteFileBytes(path_, existing);
    SettingsFile(path_).CreateIfMissing();
    EXPECT_EQ(existing, ReadFileBytes(path_));
}

TEST_F(SettingsFileTest, HeldFileStaysOpenLetsOthersWriteAndClosesOnRelease)
{
    SettingsFile settings;
    settings.UseFolder(dir_.path());
    EXPECT_EQ(path_, settings.FileName());

    // The profile functions still write and read while it is held.
    EXPECT_TRUE(StoreInt(kKeyStretch, 1, path_));
    EXPECT_EQ(1, ReadInt(kKeyStretch, 0));
    // Held without delete sharing: the file cannot be removed under the plug-in.
    EXPECT_FALSE(::DeleteFileA(path_.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), ::GetLastError());
    // Nor after a write of its own, which lets go of it for the moment.
    EXPECT_TRUE(settings.RecordLocked());
    EXPECT_FALSE(::DeleteFileA(path_.c_str()));

    settings.Release();
    settings.Release(); // closing again is harmless
    EXPECT_TRUE(::DeleteFileA(path_.c_str()));
}

TEST_F(SettingsFileTest, HoldingAMissingFileIsQuiet)
{
    // The folder is made, but not its missing parent: nothing is held or created.
    SettingsFile settings;
    settings.UseFolder(dir_.File("missing\\folder"));
    EXPECT_FALSE(settings.Exists());
    EXPECT_EQ(dir_.File("missing\\folder\\velmora.ini"), settings.FileName());
    settings.Release();
}

TEST(CFileTest, ClosesItsHandleWhenDestroyed)
{
    ScratchDir dir;
    const std::string path = dir.File("f.txt");
    WriteFileBytes(path, "x");
    {
        CFile file;
        ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareExclusive));
        EXPECT_FALSE(::DeleteFileA(path.c_str()));
    }
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

// ---- integer reads ----------------------------------------------------------------

TEST_F(SettingsFileTest, IntegerReadsFollowTheConversionRules)
{
    WriteFileBytes(path_, "[Settings]\r\nEmpty=\r\nSuffix=1x\r\nBlanks=   7\r\nNeg=-5\r\n"
                          "Plus=+12\r\nWord=on\r\nHuge=99999999999\r\nTiny=-99999999999\r\n");
    EXPECT_EQ(9, ReadInt("Missing", 9)) << "missing key gives the default";
    EXPECT_EQ(1, ReadInt(kKeySaveMemoPadText, 1));
    EXPECT_EQ(0, ReadInt("Empty", 9)) << "present but empty reads as 0";
    EXPECT_EQ(1, ReadInt("Suffix", 9));
    EXPECT_EQ(7, ReadInt("Blanks", 9));
    EXPECT_EQ(-5, ReadInt("Neg", 9));
    EXPECT_EQ(12, ReadInt("Plus", 9));
    EXPECT_EQ(0, ReadInt("Word", 9));
    EXPECT_EQ(INT_MAX, ReadInt("Huge", 9));
    EXPECT_EQ(INT_MIN, ReadInt("Tiny", 9));
    EXPECT_EQ(-3, StoredInt("X", -3, dir_.File("none.ini")));
}

TEST_F(SettingsFileTest, IntegersAreWrittenAsPlainDecimal)
{
    StoreInt("A", -5, path_);
    StoreInt("B", 0, path_);
    StoreInt("C", INT_MIN, path_);
    EXPECT_EQ("[Settings]\r\nA=-5\r\nB=0\r\nC=-2147483648\r\n", ReadFileBytes(path_));
    EXPECT_EQ(INT_MIN, ReadInt("C", 0));
}

// ---- string reads and writes ------------------------------------------------------

TEST_F(SettingsFileTest, LongValuesComeBackWhole)
{
    for (size_t length : {254u, 255u, 256u, 300u, 511u, 512u, 5000u}) {
        std::string value(length, 'v');
        value.back() = 'E';
        ASSERT_TRUE(StoreString(kKeyMemoPadText, value, path_));
        EXPECT_EQ(value, Read(kKeyMemoPadText)) << length << " characters";
    }
}

TEST_F(SettingsFileTest, MissingFileSectionOrKeyGivesTheDefault)
{
    EXPECT_EQ("<default>", Read(kKeyPassword));
    WriteFileBytes(path_, "[Other]\r\nPassword=x\r\n");
    EXPECT_EQ("<default>", Read(kKeyPassword));
    WriteFileBytes(path_, "[Settings]\r\nPassword=\r\n");
    EXPECT_EQ("", Read(kKeyPassword));
}

TEST_F(SettingsFileTest, ValuesWithBlanksQuotesAndEdgeCharactersReadBackExactly)
{
    const std::string values[] = {
        " lead", "trail ", "\tboth\t", "\"quoted\"", "'single'", "\"open", "close'", "\"",
        "'", "  ", "\x1a" "eof", "a\vb\f", "\v", "mid dle", "x\"y", "\x01", "\xA0nbsp\xA0",
    };
    for (const std::string& value : values) {
        ASSERT_TRUE(StoreString(kKeyPassword, value, path_));
        EXPECT_EQ(value, Read(kKeyPassword)) << "value [" << value << "]";
    }
}

TEST_F(SettingsFileTest, EveryByteRoundTripsAtStartMiddleAndEnd)
{
    for (int c = 1; c < 256; ++c) {
        if (c == '\r' || c == '\n')
            continue;
        const char ch = static_cast<char>(c);
        for (const std::string& value : {std::string(1, ch) + "ab", "a" + std::string(1, ch) + "b",
                                         "ab" + std::string(1, ch), std::string(1, ch)}) {
            ASSERT_TRUE(StoreString(kKeyPassword, value, path_));
            ASSERT_EQ(value, Read(kKeyPassword)) << "byte " << c;
        }
    }
}

// A password's stored form: every byte the key lets through, at every place, comes
// back from the file whole (which bytes it refuses: test_password_storage.cpp).
TEST_F(SettingsFileTest, EveryStorablePasswordByteAtEveryPlaceComesBackWholeFromTheFile)
{
    for (int b = 1; b <= 255; ++b) {
        const std::string c(1, static_cast<char>(b));
        for (const std::string& password : {c + "pass", "pa" + c + "ss", "pass" + c, c}) {
            if (!IsStorablePassword(password))
                continue;
            ASSERT_TRUE(StoreString(kKeyPassword, Scramble(password, ScramblerKey), path_));
            EXPECT_EQ(password, Scramble(Read(kKeyPassword), ScramblerKey)) << "byte " << b;
        }
    }
}

TEST_F(SettingsFileTest, ValuesThatWouldBreakTheFileAreRefusedAndNothingIsWritten)
{
    WriteFileBytes(path_, "[Settings]\r\nPassword=old\r\n");
    const std::string before = ReadFileBytes(path_);
    for (const std::string& value : {std::string("a\rb"), std::string("a\nb"), std::string("a\0b", 3),
                                     std::string("\r\n")}) {
        EXPECT_FALSE(StoreString(kKeyPassword, value, path_));
        EXPECT_EQ(before, ReadFileBytes(path_));
    }
}

TEST_F(SettingsFileTest, ValuesTooLongForTheProfileFunctionsAreRefusedWhole)
{
    const std::string longest(32766, 'm');
    ASSERT_TRUE(StoreString(kKeyMemoPadText, longest, path_));
    EXPECT_EQ(longest, Read(kKeyMemoPadText));
    // One more, or quotes that make it longer, would be mangled: the old value stays.
    EXPECT_FALSE(StoreString(kKeyMemoPadText, longest + "m", path_));
    EXPECT_FALSE(StoreString(kKeyMemoPadText, " " + longest.substr(1), path_));
    EXPECT_EQ(longest, Read(kKeyMemoPadText));
}

TEST_F(SettingsFileTest, WritesToAMissingDirectoryFailAndReadsGiveDefaults)
{
    const std::string missing = dir_.File("gone\\velmora.ini");
    EXPECT_FALSE(StoreString(kKeyPassword, "x", missing));
    EXPECT_FALSE(StoreInt(kKeyStartUp, 1, missing));
    EXPECT_EQ(1, StoredInt(kKeySaveMemoPadText, 1, missing));
    EXPECT_FALSE(PathExists(dir_.File("gone")));
}

TEST_F(SettingsFileTest, NewKeysAreAppendedAndExistingKeysKeepTheirLine)
{
    SettingsFile settings(path_);
    settings.CreateIfMissing();
    StoreInt(kKeyStartUp, 0, path_);
    StoreInt(kKeyStretch, 0, path_);
    StoreInt(kKeySaveMemoPadText, 1, path_);
    StoreInt(kKeyHideEudora, 0, path_);
    StoreString(kKeyPassword, "", path_);
    ASSERT_TRUE(settings.SaveMemoPadText(WideFromAnsi("first line\r\nsecond line")));
    EXPECT_EQ("[Settings]\r\nPassword=\r\nStartUp=0\r\nStretch=0\r\nSaveMemoPadText=1\r\n"
              "HideEudora=0\r\nMemoPadText=first line\tsecond line\r\n",
              ReadFileBytes(path_));
    EXPECT_EQ("first line\r\nsecond line", AnsiOrQuestionMarks(settings.LoadMemoPadText()));
}

// ---- memo pad stored form ---------------------------------------------------------

TEST_F(SettingsFileTest, MemoWithBlankEdgesAndEmptyLinesSurvivesTheFile)
{
    SettingsFile settings(path_);
    const std::string memo = "\r\n  indented\r\n\r\ntrailing blanks   \r\n";
    ASSERT_TRUE(settings.SaveMemoPadText(WideFromAnsi(memo)));
    EXPECT_EQ(memo, AnsiOrQuestionMarks(settings.LoadMemoPadText()));
}

// A memo the code page cannot hold: MemoPadText keeps what it can ("?" for the rest, as
// an earlier version reads it), the whole text lies beside it, and a change an earlier
// version makes to MemoPadText wins over the stale whole text.
TEST_F(SettingsFileTest, AMemoInAnyScriptComesBackWholeAndEarlierVersionsReadWhatTheyCan)
{
    SettingsFile settings(path_);
    struct Case {
        const wchar_t* memo;
        const char* memoPadText; // as the file holds it, read the way an earlier version reads
        const char* utf8;        // the whole text beside it; null for none
    } cases[] = {
        {L"Back at 3 \u00e9t\u00e9 \u043f\u0430\u0440\u043e\u043b\u044c and \U0001F600\U0001F512\r\n100%",
         "Back at 3 \xE9t\xE9 ?????? and ????\t100%",
         "Back at 3 %C3%A9t%C3%A9 %D0%BF%D0%B0%D1%80%D0%BE%D0%BB%D1%8C and %F0%9F%98%80%F0%9F%94%92%09100%25"},
        {L"\u03a3 ", "? ", "%CE%A3 "},   // the blank at the edge is quoted, the value exact
        {L"\xD800 lone half", "? lone half", "%ED%A0%80 lone half"},
        {L"caf\u00e9 \u20ac5\r\nplain", "caf\xE9 \x80" "5\tplain", nullptr},   // all in code page 1252
    };
    for (const Case& c : cases) {
        const WideText memo(c.memo, c.memo + wcslen(c.memo));
        SCOPED_TRACE(c.memoPadText);
        ASSERT_TRUE(settings.SaveMemoPadText(memo));
        EXPECT_EQ(c.memoPadText, Read(kKeyMemoPadText));
        EXPECT_EQ(c.utf8 != nullptr ? c.utf8 : "<default>", Read(kKeyMemoPadTextUtf8));
        EXPECT_TRUE(memo == settings.LoadMemoPadText());
    }
    // Byte for byte as a version without the whole text writes it.
    EXPECT_NE(std::string::npos, ReadFileBytes(path_).find("\r\nMemoPadText=caf\xE9 \x80" "5\tplain\r\n"));

    ASSERT_TRUE(settings.SaveMemoPadText(WideFromAnsi("x")));
    ASSERT_TRUE(settings.SaveMemoPadText(WideText{L'\u03a3', L'1'}));
    // An earlier version changes the memo (and, by hand, a version that left "?" as is).
    for (const char* earlier : {"typed later", "?2"}) {
        ASSERT_TRUE(StoreString(kKeyMemoPadText, earlier, path_));
        EXPECT_EQ(earlier, AnsiOrQuestionMarks(settings.LoadMemoPadText()));
    }
}

} // namespace
