// Settings files as a user's disk may hold them: random bytes, broken and odd INI
// text, very long lines, a folder in place of the file, read-only and missing
// places. The real plug-in must initialise over each of them, its dialogs must show
// what the platform's profile functions give (the default where they find nothing),
// and nothing may be written until the user acts.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "cover/CoverDialog.h"
#include "cover/CoverTexts.h"
#include "cover/memo/MemoBound.h"
#include "resource.h"
#include "settings/Settings.h"
#include "settings/SettingsLimits.h"
#include "settings/SettingsStore.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/PluginLibrary.h"
#include "support/Seeds.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

constexpr int32_t kSentinel = static_cast<int32_t>(0xA5A5A5A5);

struct KeyDefault {
    const char* key;
    int defaultValue; // for the switches
    bool isSwitch;
};
const KeyDefault kKeys[] = {
    {"StartUp", 0, true},       {"Stretch", 0, true},     {"SaveMemoPadText", 1, true},
    {"HideEudora", 0, true},    {"MemoPadText", 0, false}, {"Password", 0, false},
};

// What the platform's profile function gives, with a buffer larger than any value
// these files hold.
std::string ProfileValue(const char* key, const std::string& defaultValue, const std::string& path)
{
    std::vector<char> buffer(4u << 20);
    const DWORD n = ::GetPrivateProfileStringA("Settings", key, defaultValue.c_str(), buffer.data(),
                                               static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), n);
}

// A stored number as C's strtoll reads it, held to the 32-bit range.
int ExpectedNumber(const std::string& text)
{
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}


// ---- generated INI text ----------------------------------------------------------

std::string RandomCase(Random& random, std::string text)
{
    for (char& c : text) {
        if (random.OneIn(3) && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (random.OneIn(3) && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string RandomValue(Random& random)
{
    static const char* const kPieces[] = {
        "1", "0", "-1", "2", "+1", " 1", "1x", "99999999999", "-2147483649", "\"1\"", "'0'",
        "\"", "'", "\"quoted\"", "  blanks  ", "\t", "a\tb", "=", "[Settings]", ";", "\xE9\xFF\x80",
        "x", "",
    };
    std::string value;
    const uint32_t pieces = random.Below(4);
    for (uint32_t i = 0; i < pieces; ++i)
        value += random.OneIn(5) ? random.Bytes(1 + random.Below(40)) : random.Pick(kPieces);
    if (random.OneIn(40))
        value += std::string(1000 + random.Below(5000), 'L');
    // CR, LF and zero bytes end a line wherever they come.
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    return value;
}

std::string RandomIniText(Random& random)
{
    static const char* const kSections[] = {"Settings", "Settings", "Other", "", "Settings ", " Settings",
                                            "Settings]", "[Settings"};
    static const char* const kOtherKeys[] = {"Unknown", "", " StartUp", "Password ", "Memo", "Start Up"};
    static const char* const kEnds[] = {"\r\n", "\r\n", "\n", "\r", "\n\r"};
    std::string text;
    if (random.OneIn(10))
        text += "\xEF\xBB\xBF";
    const uint32_t lines = random.Below(40);
    for (uint32_t i = 0; i < lines; ++i) {
        switch (random.Below(6)) {
        case 0: text += "[" + RandomCase(random, random.Pick(kSections)) + "]"; break;
        case 1:
        case 2:
        case 3: {
            const std::string key = random.OneIn(5) ? std::string(random.Pick(kOtherKeys))
                                                    : RandomCase(random, random.Pick(kKeys).key);
            text += (random.OneIn(6) ? " " : "") + key + (random.OneIn(6) ? " = " : "=") + RandomValue(random);
            break;
        }
        case 4: text += random.OneIn(2) ? ";" + RandomValue(random) : std::string(); break;
        default: text += RandomValue(random); break;
        }
        text += random.Pick(kEnds);
    }
    return text;
}

// A literal with its zero bytes, all but the terminating one.
template <size_t N>
std::string Raw(const char (&text)[N])
{
    return std::string(text, N - 1);
}

// ---- the cases -------------------------------------------------------------------

struct FileCase {
    std::string name;
    // Prepares the settings place in `dir` and returns the configuration directory to
    // hand the plug-in.
    std::function<std::string(const ScratchDir& dir)> prepare;
};

std::function<std::string(const ScratchDir&)> WithBytes(const std::string& bytes)
{
    return [bytes](const ScratchDir& dir) {
        WriteFileBytes(dir.File("velmora.ini"), bytes);
        return dir.path();
    };
}

std::vector<FileCase> FixedCases()
{
    const std::string longValue(150000, 'v');
    // The memo pad wraps its lines; a line with no place to break takes time that grows
    // with the square of its length (several seconds at 30000 characters under wine),
    // so the long memo here is made of words, and the unbroken one is shorter.
    std::string longMemo;
    while (longMemo.size() < 150000)
        longMemo += "a long memo of many words\t";
    return {
        {"an empty file", WithBytes("")},
        {"one very long line", WithBytes(std::string(200000, 'a'))},
        {"very long values",
         WithBytes("[Settings]\r\nPassword=" + longValue + "\r\nMemoPadText=" + longMemo + "end\r\nStartUp=" +
                   std::string(5000, '1') + "\r\n")},
        {"an unbroken memo line", WithBytes("[Settings]\r\nMemoPadText=" + std::string(6000, 'w') + "\r\n")},
        {"a very long section name and key",
         WithBytes("[" + std::string(10000, 'S') + "]\r\n" + std::string(10000, 'k') + "=1\r\n[Settings]\r\nStretch=1\r\n")},
        {"no [Settings] section",
         WithBytes("[Other]\r\nPassword=x\r\nStartUp=1\r\nStartUp=1\r\nkey without section\r\n")},
        {"keys before any section", WithBytes("Password=x\r\nStartUp=1\r\n")},
        {"duplicate sections and keys",
         WithBytes("[Settings]\r\nStartUp=1\r\nPassword=first\r\n[Other]\r\nStartUp=7\r\n[Settings]\r\n"
                   "StartUp=0\r\nPassword=second\r\nHideEudora=1\r\nHideEudora=0\r\n")},
        {"keys and section in other cases",
         WithBytes("[sEtTiNgS]\r\nstartup=1\r\nSTRETCH=1\r\nsavememopadtext=0\r\nhideEUDORA=1\r\n"
                   "password=Secret\r\nMEMOPADTEXT=a\tb\r\n")},
        {"values with quotes and blanks",
         WithBytes("[Settings]\r\nPassword= \"  spaced  \" \r\nMemoPadText='\tsingle\t'\r\nStartUp=\"1\"\r\n"
                   "Stretch= 1 \r\nSaveMemoPadText=\"\r\nHideEudora='1\r\n")},
        {"line ends of one kind only",
         WithBytes("[Settings]\rPassword=cr\rStartUp=1\r[Other]\nStretch=1\n[Settings]\nHideEudora=1\n")},
        {"zero bytes inside", WithBytes(Raw("[Settings]\r\nPass\0word=x\r\nStartUp=1\0junk\r\nStretch=1\r\n"))},
        {"a UTF-8 byte-order mark", WithBytes("\xEF\xBB\xBF[Settings]\r\nStartUp=1\r\nPassword=\xC3\xA9\r\n")},
        {"UTF-16 text",
         WithBytes(Raw("\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\r\0\n\0S\0t\0a\0r\0t\0U\0p\0=\0" "1\0\r\0\n\0"))},
        {"a folder named velmora.ini",
         [](const ScratchDir& dir) {
             ::CreateDirectoryA(dir.File("velmora.ini").c_str(), nullptr);
             return dir.path();
         }},
        {"a read-only file",
         [](const ScratchDir& dir) {
             WriteFileBytes(dir.File("velmora.ini"), "[Settings]\r\nPassword=\r\nStartUp=0\r\n");
             ::SetFileAttributesA(dir.File("velmora.ini").c_str(), FILE_ATTRIBUTE_READONLY);
             return dir.path();
         }},
        {"a missing folder", [](const ScratchDir& dir) { return dir.File("missing"); }},
        {"a read-only folder",
         [](const ScratchDir& dir) {
             ::SetFileAttributesA(dir.path().c_str(), FILE_ATTRIBUTE_READONLY);
             return dir.path();
         }},
    };
}

std::vector<FileCase> RandomCases(uint32_t seed)
{
    std::vector<FileCase> cases;
    Random random(seed);
    for (int i = 0; i < 10; ++i) {
        const std::string text = RandomIniText(random);
        cases.push_back({"random INI text #" + std::to_string(i), WithBytes(text)});
    }
    for (int i = 0; i < 4; ++i) {
        const std::string bytes = random.Bytes(random.Below(9000), true);
        cases.push_back({"random bytes #" + std::to_string(i), WithBytes(bytes)});
    }
    return cases;
}

// What lies at the settings path: the bytes of a file, or a mark for a folder or
// nothing.
std::string Snapshot(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return "<nothing>";
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return PathExists(path + "\\velmora.ini") ? "<folder, not empty>" : "<folder>";
    return ReadFileBytes(path);
}

// What the plug-in's dialogs must show for a file, worked out from the platform's
// profile functions alone.
struct Expected {
    int switches[4] = {0, 0, 1, 0}; // StartUp, Stretch, SaveMemoPadText, HideEudora
    std::string memo;               // as the pad shows it
    std::string password;           // the plain password, as far as it can be typed
};

// The start of the memo the pad is given: at most twice what can be typed into it, and no
// line longer than it could show (the rest stays in the file).
std::string AsGivenToThePad(const std::string& memo)
{
    size_t line = 0;
    for (size_t i = 0; i < memo.size(); ++i) {
        const bool lineBreak = memo[i] == '\r' || memo[i] == '\n';
        line = lineBreak ? 0 : line + 1;
        if (i == static_cast<size_t>(kLongestGivenMemo) || line > kLongestShownMemoLine)
            return memo.substr(0, i > 0 && memo[i - 1] == '\r' && memo[i] == '\n' ? i - 1 : i);
    }
    return memo;
}

Expected ExpectedFor(const std::string& path)
{
    Expected e;
    for (int i = 0; i < 4; ++i)
        e.switches[i] = ExpectedNumber(ProfileValue(kKeys[i].key, std::to_string(kKeys[i].defaultValue), path));
    if (e.switches[2] == 1) {
        for (char c : ProfileValue("MemoPadText", "", path))
            e.memo += c == '\t' ? std::string("\r\n") : std::string(1, c);
        e.memo = AsGivenToThePad(e.memo);
    }
    // The stored form is the password reversed, each byte XORed with 42 (the key byte of
    // "tavok"); it counts up to its first zero byte.
    const std::string stored = ProfileValue("Password", "", path);
    for (auto c = stored.rbegin(); c != stored.rend() && (*c ^ 42) != 0; ++c)
        e.password += static_cast<char>(*c ^ 42);
    return e;
}

constexpr int kSwitchBoxes[4] = {IDC_SET_STARTUP, IDC_SET_STRETCH, IDC_SET_SAVE_MEMO, IDC_SET_HIDE_EUDORA};

class SettingsFileGarbage : public ::testing::Test {
protected:
    void SetUp() override { CopyPluginInto(pluginDir_.path()); }

    // Over the prepared place, the real plug-in initialises (running the start-up
    // cover when StartUp reads as 1), lists both menu items, hands every block back,
    // shows the settings dialog (cancelled) and the cover (unlocked with the stored
    // password), and shuts down. The dialogs show what the profile functions give, and
    // nothing is written but what the user's unlock saves: the memo pad.
    void InitialiseOver(const FileCase& c)
    {
        ScratchDir dir;
        const std::string configDirectory = c.prepare(dir);
        path_ = configDirectory + "\\velmora.ini";
        expected_ = ExpectedFor(path_);
        reference_ = Snapshot(path_);
        const bool firstRun = reference_ == "<nothing>";
        {
            PluginLibrary plugin(pluginDir_.path());
            ASSERT_TRUE(plugin.loaded());
            int32_t config[4] = {kSentinel, kSentinel,
                                 static_cast<int32_t>(reinterpret_cast<intptr_t>(configDirectory.c_str())), kSentinel};
            int32_t info[8];
            for (int32_t& w : info) w = kSentinel;
            const bool startUpCover = expected_.switches[0] == 1;
            RunAndAnswer([&] { return plugin.init(nullptr, 6, config, info); }, startUpCover ? kCover : kNone);
            if (firstRun) {
                // The first-run file, where the folder allows one.
                const std::string created = Snapshot(path_);
                EXPECT_TRUE(created == "<nothing>" || created == "[Settings]\r\nPassword=\r\n")
                    << "only the first-run file may appear, found " << created.substr(0, 80);
                reference_ = created;
            }
            ExpectUnchanged("initialisation");
            EXPECT_EQ(2, info[3]);
            EXPECT_EQ(4398, info[5]);
            EXPECT_EQ(kSentinel, info[7]);
            plugin.release(reinterpret_cast<void*>(static_cast<intptr_t>(info[4])));
            plugin.release(reinterpret_cast<void*>(static_cast<intptr_t>(info[6])));
            for (int32_t id : {1, 2}) {
                int32_t item[6] = {kSentinel, id, kSentinel, kSentinel, kSentinel, kSentinel};
                ASSERT_EQ(0, plugin.specialInfo(nullptr, item));
                EXPECT_NE(kSentinel, item[2]);
                plugin.release(reinterpret_cast<void*>(static_cast<intptr_t>(item[2])));
                plugin.release(reinterpret_cast<void*>(static_cast<intptr_t>(item[3])));
            }
            ExpectUnchanged("the menu items");

            RunAndAnswer([&] { return plugin.config(nullptr, nullptr); }, kSettings);
            ExpectUnchanged("the settings dialog, cancelled");
            // Without a settings file the settings dialog comes first; cancelled, no cover.
            int32_t activate[2] = {kSentinel, 1};
            RunAndAnswer([&] { return plugin.specialHook(nullptr, activate); },
                         FileExists(path_) ? kCover : kSettings);
            EXPECT_EQ(0, plugin.finish(nullptr));
        }
        ExpectUnchanged("shut-down");
        ExpectReadsAsTheProfileFunctions(path_);
        ::SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::SetFileAttributesA(dir.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }

    void ExpectReadsAsTheProfileFunctions(const std::string& path)
    {
        UseSettingsFile(path);
        for (const KeyDefault& k : kKeys) {
            SCOPED_TRACE(k.key);
            if (k.isSwitch) {
                const std::string defaultText = std::to_string(k.defaultValue);
                EXPECT_EQ(ExpectedNumber(ProfileValue(k.key, defaultText, path)),
                          StoredInt(k.key, k.defaultValue, path));
            } else {
                EXPECT_EQ(ProfileValue(k.key, "", path), StoredString(k.key, "", path));
                EXPECT_EQ(ProfileValue(k.key, "<none>", path),
                          StoredString(k.key, "<none>", path));
            }
        }
    }

private:
    enum Answer { kNone, kCover, kSettings };

    void ExpectUnchanged(const char* after)
    {
        EXPECT_TRUE(Snapshot(path_) == reference_) << "the settings place changed after " << after;
    }

    // Calls `run` (an entry point) here while a second thread answers the dialog it
    // shows: `answer` is the one expected, any other is a failure and is ended too.
    void RunAndAnswer(const std::function<int32_t()>& run, Answer answer)
    {
        std::atomic<bool> returned{false};
        RunWithDriver(
            [&] {
                const int32_t result = run();
                returned = true;
                EXPECT_EQ(0, result);
                return INT_PTR{0};
            },
            [&](DWORD ui) {
                HWND cover = nullptr;
                HWND settings = nullptr;
                while (!returned && cover == nullptr && settings == nullptr) {
                    cover = FindDialogWithControl(ui, IDC_COVER_UNLOCK);
                    settings = FindDialogWithControl(ui, IDC_SET_APPLY);
                    ::Sleep(2);
                }
                if (cover != nullptr) {
                    EXPECT_EQ(kCover, answer) << "a cover came up";
                    AnswerCover(ui, cover);
                } else if (settings != nullptr) {
                    EXPECT_EQ(kSettings, answer) << "a settings dialog came up";
                    AnswerSettings(settings);
                } else {
                    EXPECT_EQ(kNone, answer) << "no dialog came up";
                }
            });
    }

    void AnswerSettings(HWND settings)
    {
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(expected_.switches[i] == 1 ? BST_CHECKED : BST_UNCHECKED,
                      ::IsDlgButtonChecked(settings, kSwitchBoxes[i]))
                << kKeys[i].key;
        ExpectUnchanged("the settings dialog opened");
        PostClick(settings, IDC_SET_CANCEL);
        EXPECT_TRUE(WaitForGone(settings));
    }

    void AnswerCover(DWORD ui, HWND cover)
    {
        // The pad shows the memo, or the start of it that its box can show, and then says so.
        const std::string shown = ItemText(cover, IDC_COVER_MEMO);
        if (ItemText(cover, IDC_COVER_MEMO_PART).empty())
            EXPECT_TRUE(SameText(expected_.memo, shown)) << "the memo pad";
        else
            EXPECT_TRUE(shown.size() <= expected_.memo.size() && SameText(expected_.memo.substr(0, shown.size()), shown))
                << "the start of the memo";
        // The one change a cover makes as it comes up: the record of the lock, where the
        // file takes it without reading otherwise.
        EXPECT_TRUE(Snapshot(path_) == reference_ ||
                    ::GetPrivateProfileIntA("Settings", "Locked", 0, path_.c_str()) == 1)
            << "the settings place changed after the cover opened";
        SetItemText(cover, IDC_COVER_PASSWORD, expected_.password);
        PostClick(cover, IDC_COVER_UNLOCK);
        if (!WaitForGone(cover)) {
            ADD_FAILURE() << "the stored password " << ::testing::PrintToString(expected_.password)
                          << " did not unlock the cover";
            if (HWND box = FindDialogWithControl(ui, 0xFFFF))
                DismissMessageBox(box);
            ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
            WaitForGone(cover);
        }
        // The unlock saved the memo pad (the user's doing) and removed the record.
        reference_ = Snapshot(path_);
    }

    ScratchDir pluginDir_;
    std::string path_;
    Expected expected_;
    std::string reference_;
};

TEST_F(SettingsFileGarbage, FixedOddFilesInitialiseWriteNothingAndReadAsTheProfileFunctions)
{
    for (const FileCase& c : FixedCases()) {
        SCOPED_TRACE(c.name);
        InitialiseOver(c);
    }
}

TEST_F(SettingsFileGarbage, RandomFilesInitialiseWriteNothingAndReadAsTheProfileFunctions)
{
    const uint32_t base = RunSeed(7001);
    for (uint32_t round = 0; round < 2; ++round) {
        const uint32_t seed = base + round;
        SCOPED_TRACE(SeedNote(seed));
        for (const FileCase& c : RandomCases(seed)) {
            SCOPED_TRACE(c.name);
            InitialiseOver(c);
        }
    }
}

TEST(SettingsFileReads, SwitchesMissingFromAnOddFileGiveTheirDefaults)
{
    // Independent of the oracle above: the defaults themselves.
    ScratchDir dir;
    const std::string path = dir.File("velmora.ini");
    WriteFileBytes(path, "[settings]\r\nstartup\r\n[Other]\r\nStretch=1\r\nSaveMemoPadText=0\r\n");
    EXPECT_EQ(0, StoredInt(kKeyStartUp, 0, path)) << "a line without '=' is no key";
    EXPECT_EQ(0, StoredInt(kKeyStretch, 0, path));
    EXPECT_EQ(1, StoredInt(kKeySaveMemoPadText, 1, path));
    EXPECT_EQ(0, StoredInt(kKeyHideEudora, 0, path));
    EXPECT_EQ("", StoredString(kKeyPassword, "", path));
    ::CreateDirectoryA(dir.File("folder.ini").c_str(), nullptr);
    EXPECT_EQ(1, StoredInt(kKeySaveMemoPadText, 1, dir.File("folder.ini")));
    EXPECT_EQ("dflt", StoredString(kKeyMemoPadText, "dflt", dir.File("folder.ini")));
}

// Names in a folder, with "/" after folders.
std::string Listing(const std::string& folder)
{
    std::string names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names += name + ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? "/ " : " ");
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return names;
}

// The profile functions handle full paths shorter than MAX_PATH; at MAX_PATH and
// beyond, settings must neither be read from nor written to any other file.
TEST(SettingsFilePaths, PathsAtThePathLimitAreUsedWholeOrNotAtAll)
{
    ScratchDir dir;
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));
    const std::string suffix = "\\velmora.ini";
    for (size_t length = MAX_PATH - 3; length <= MAX_PATH + 2; ++length) {
        SCOPED_TRACE("full path of " + std::to_string(length) + " characters");
        const std::string folder = dir.File(std::string(length - dir.path().size() - 1 - suffix.size(), 'f'));
        ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
        const std::string path = folder + suffix;
        ASSERT_EQ(length, path.size());
        const bool usable = length < MAX_PATH;
        EXPECT_EQ(usable, StoreString(kKeyPassword, "x", path));
        EXPECT_EQ(usable ? "x" : "<default>", StoredString(kKeyPassword, "<default>", path));
        EXPECT_EQ(usable ? "velmora.ini " : "", Listing(folder));
        RemoveTree(folder);
        EXPECT_EQ("", Listing(dir.path())) << "nothing written beside the folder";
    }
    // A relative name far beyond any limit.
    const std::string huge = std::string(40000, 'x') + suffix;
    EXPECT_FALSE(StoreString(kKeyPassword, "x", huge));
    EXPECT_EQ("<default>", StoredString(kKeyPassword, "<default>", huge));
    EXPECT_EQ("", Listing(dir.path()));
    ::SetCurrentDirectoryA(previous);
}

} // namespace

// Files far larger than any the plug-in writes (1.5 GB, sparse), through the real DLL: a
// velmora.jnl of that size is set aside at initialisation, unread; a velmora.ini of that
// size reads as damaged, so its cover opens to no password, not even an empty one, says
// why on its face and at Unlock, and nothing is written into it.
TEST(HugeFiles, AJournalIsSetAsideAndASettingsFileKeepsTheCoverShut)
{
    constexpr long long kHuge = 1500LL << 20;
    ScratchDir pluginDir;
    ScratchDir data;
    CopyPluginInto(pluginDir.path());
    const std::string ini = data.File("velmora.ini");
    const std::string journal = data.File("velmora.jnl");
    WriteFileBytes(ini, "[Settings]\r\nPassword=\r\n");
    ASSERT_TRUE(ResizeFile(journal, kHuge));
    PluginLibrary plugin(pluginDir.path());
    ASSERT_TRUE(plugin.loaded());
    int32_t config[4] = {kSentinel, kSentinel, static_cast<int32_t>(reinterpret_cast<intptr_t>(data.path().c_str())),
                         kSentinel};
    int32_t info[8];
    EXPECT_EQ(0, plugin.init(nullptr, 6, config, info));
    EXPECT_FALSE(PathExists(journal));
    EXPECT_EQ(kHuge, FileSizeOf(journal + ".bad")) << "the journal is set aside whole";
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(ini));

    ASSERT_TRUE(ResizeFile(ini, kHuge));
    bool refused = false;
    bool padTook = true;
    std::string line;
    std::string refusal;
    std::string unrecordedLine = "<not read>";
    RunWithDriver(
        [&] {
            int32_t activate[2] = {kSentinel, 1};
            return INT_PTR{plugin.specialHook(nullptr, activate)};
        },
        [&](DWORD ui) {
            HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
            ASSERT_NE(nullptr, cover);
            WaitUntil([&] { return (line = ItemText(cover, IDC_COVER_FILE_UNREADABLE)) == kFileUnreadableLine; });
            // The pad takes no typing: a note typed there could only be saved over a memo
            // nobody saw, once the file is repaired. A lock there is recorded as it is.
            HWND pad = ::GetDlgItem(cover, IDC_COVER_MEMO);
            ::PostMessageA(pad, WM_CHAR, 'x', 1);
            padTook = WaitUntil([&] { return ::GetWindowTextLengthA(pad) > 0; }, 1000);
            unrecordedLine = ItemText(cover, IDC_COVER_LOCK_UNRECORDED);
            SetItemText(cover, IDC_COVER_PASSWORD, "");
            PostClick(cover, IDC_COVER_UNLOCK);
            HWND box = nullptr;
            WaitUntil([&] { return (box = FindDialogWithControl(ui, 0xFFFF)) != nullptr || !::IsWindow(cover); });
            refused = box != nullptr && ::IsWindow(cover);
            if (box != nullptr) {
                refusal = MessageBoxText(box);
                DismissMessageBox(box);
            }
            ::PostThreadMessageA(ui, WM_QUIT, 0, 0);
            WaitForGone(cover);
        });
    EXPECT_TRUE(refused) << "an empty password opened the cover over a file that cannot be read";
    EXPECT_EQ(kFileUnreadableLine, line);
    EXPECT_EQ(kFileUnreadableLine, refusal) << "not \"Incorrect Password.\"";
    EXPECT_FALSE(padTook) << "the pad over a file that cannot be read took typing";
    EXPECT_EQ("", unrecordedLine) << "a file that cannot be read brings the cover back: the lock is not lost";
    EXPECT_EQ(0, plugin.finish(nullptr));
    EXPECT_EQ(kHuge, FileSizeOf(ini));
    EXPECT_FALSE(PathExists(journal)) << "no write was journalled";
}
