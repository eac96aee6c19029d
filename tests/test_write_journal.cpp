// Writes of velmora.ini are all or nothing: a crash or a power cut at any step of a write
// leaves, for the next start, the file as it was before the write or as it is after it.
// Each step of a write can be taken as the instant of a crash: the files are left as such
// a crash leaves them, and a new initialisation in the same process shows what the next
// start finds. Then the real client killed while it saves the memo.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "resource.h"
#include "settings/PasswordScrambler.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "settings/WriteJournal.h"
#include "support/ClientLayout.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// ---- the journal's form ------------------------------------------------------------

TEST(JournalForm, ReadsBackWholeAndRefusesEveryCutOfItself)
{
    const std::string pre = "[Settings]\r\nPassword=abc\r\nLocked=1\r\n";
    const std::string first = EncodeJournal(true, pre, 0x0123456789ABCDEFull);
    JournalRecord record;
    ASSERT_TRUE(ParseJournal(first, record));
    EXPECT_TRUE(record.fileExisted);
    EXPECT_EQ(pre, record.preImage);
    EXPECT_EQ(0x0123456789ABCDEFull, record.stamp);
    EXPECT_FALSE(record.completed);
    for (size_t cut = 0; cut < first.size(); ++cut)
        EXPECT_FALSE(ParseJournal(first.substr(0, cut), record)) << "cut at " << cut;
    std::string flipped = first;
    flipped[flipped.size() - 10] ^= 0x20;
    EXPECT_FALSE(ParseJournal(flipped, record)) << "a changed byte of the file as it was";

    // Appended records count only whole; a cut one is as if never written.
    const std::string done = EncodeCompleted("after");
    const std::string back = EncodePutBackBegun(42);
    ASSERT_TRUE(ParseJournal(first + done.substr(0, done.size() - 1), record));
    EXPECT_FALSE(record.completed);
    ASSERT_TRUE(ParseJournal(first + done + back, record));
    EXPECT_TRUE(record.completed);
    EXPECT_EQ(5u, record.postSize);
    EXPECT_EQ(Crc32("after"), record.postChecksum);
    EXPECT_EQ(42u, record.stamp) << "a put-back dates the journal afresh";
    EXPECT_EQ(0xCBF43926u, Crc32("123456789"));
    // As long as the file's own name: any path the profile functions take fits it too.
    EXPECT_EQ("C:\\Mail\\Plugins\\velmora.jnl", JournalPathFor("C:\\Mail\\Plugins\\velmora.ini"));
}

// ---- a crash at each step, then the next start -----------------------------------

// How a power cut leaves what was not flushed: whole, cut to nothing, cut half way, or
// with its last appended record cut.
enum class Cut { None, Empty, Half, Tail };
enum class Found { Before, After };

std::string CutBytes(const std::string& bytes, Cut cut)
{
    switch (cut) {
    case Cut::Empty: return std::string();
    case Cut::Half: return bytes.substr(0, bytes.size() / 2);
    case Cut::Tail: return bytes.substr(0, bytes.size() - 3);
    default: return bytes;
    }
}

// What is on the disk at one instant: each file's bytes (or none) and its last write.
struct DiskFile {
    bool exists = false;
    std::string bytes;
    FILETIME written{};
};

DiskFile Take(const std::string& path)
{
    DiskFile file;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return file;
    file.exists = true;
    file.bytes = ReadFileBytes(path);
    file.written = data.ftLastWriteTime;
    return file;
}

FILETIME Shifted(FILETIME time, long long seconds)
{
    ULARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart += static_cast<ULONGLONG>(seconds * 10000000LL);
    return FILETIME{value.LowPart, value.HighPart};
}

void SetWritten(const std::string& path, FILETIME time)
{
    HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_TRUE(::SetFileTime(file, nullptr, nullptr, &time));
    ::CloseHandle(file);
}

// Leaves a file as the crash left it: cut as a power cut may cut what was not flushed,
// and dated when it was last written.
void Leave(const std::string& path, const DiskFile& file, Cut cut)
{
    ::DeleteFileA(path.c_str());
    if (!file.exists)
        return;
    WriteFileBytes(path, CutBytes(file.bytes, cut));
    SetWritten(path, file.written);
}

// The instant a test takes as the crash: the n-th time a step is reached.
struct CrashPoint {
    WriteStep step;
    int occurrence;  // 1 for the first; -1 for the last
};

std::vector<WriteStep> g_stepsSeen;
std::function<void(WriteStep)> g_onStep;

void OnStep(WriteStep step)
{
    g_stepsSeen.push_back(step);
    if (g_onStep)
        g_onStep(step);
}

// Every value the next start may read, the records included.
std::string AllValues(const std::string& path)
{
    static const char* const keys[] = {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora,
                                       kKeyMemoPadText, kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes,
                                       kKeyLockWithWindows, kKeyLocked, kKeyWrongPasswords, kKeyLastWrongPassword};
    std::string values;
    for (const char* key : keys)
        values += std::string(key) + "=" + ReadSettingString(kSettingsSection, key, "<missing>", path) + "\n";
    return values;
}

const std::string kLockedFile = "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) +
                                "\r\nStartUp=0\r\nStretch=1\r\nSaveMemoPadText=1\r\nHideEudora=1\r\n"
                                "MemoPadText=before\tit\r\nLocked=1\r\n";

// Each write the plug-in makes as one, from the file it finds.
struct WriteGroup {
    const char* name;
    std::string file;  // empty: no file (first-run creation)
    std::function<void()> write;
    std::string passwordAfter;
};

WideText Wide(const std::wstring& text)
{
    return WideText(text.begin(), text.end());
}

std::vector<WriteGroup> Groups()
{
    return {
        {"memo save", kLockedFile, [] { SaveMemoPadText(Wide(L"after\r\nlunch")); }, "pw"},
        {"memo save with its side key", kLockedFile, [] { SaveMemoPadText(Wide(L"caf\u00e9 \u03a3\U0001F600")); }, "pw"},
        {"memo save removing the side key", kLockedFile + "MemoPadTextUtf8=%CE%A3\r\n",
         [] { SaveMemoPadText(Wide(L"plain")); }, "pw"},
        {"lock record", "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) + "\r\n", [] { RecordLocked(); }, "pw"},
        {"wrong-password record", kLockedFile, [] { RecordWrongPasswords({3, 1700000000}); }, "pw"},
        {"wrong passwords cleared", kLockedFile + "WrongPasswords=2\r\nLastWrongPassword=1700000000\r\n",
         [] { ClearWrongPasswords(); }, "pw"},
        {"Apply with a new password", kLockedFile,
         [] {
             const std::string password = "new";
             ApplySettings({1, 0, 0, 0}, {5, 1, false, false}, &password);
         },
         "new"},
        {"first-run creation", "", [] { CreateSettingsFileIfMissing(); }, ""},
    };
}

struct CrashRow {
    CrashPoint at;
    Cut file;
    Cut journal;
    Found found;
    const char* why;
};

const CrashRow kCrashRows[] = {
    {{WriteStep::JournalWritten, 1}, Cut::None, Cut::Half, Found::Before, "the journal cut: the file untouched yet"},
    {{WriteStep::JournalWritten, 1}, Cut::None, Cut::Empty, Found::Before, "the journal empty"},
    {{WriteStep::JournalFlushed, 1}, Cut::None, Cut::None, Found::Before, "the journal whole, the file untouched"},
    {{WriteStep::ValueWritten, 1}, Cut::None, Cut::None, Found::Before, "after the first write"},
    {{WriteStep::ValueWritten, 1}, Cut::Empty, Cut::None, Found::Before, "the first write cut to nothing"},
    {{WriteStep::ValueWritten, 1}, Cut::Half, Cut::None, Found::Before, "the first write cut half way"},
    {{WriteStep::ValueWritten, -1}, Cut::None, Cut::None, Found::Before, "after the last write"},
    {{WriteStep::ValueWritten, -1}, Cut::Empty, Cut::None, Found::Before, "the last write cut to nothing"},
    {{WriteStep::ValueWritten, -1}, Cut::Half, Cut::None, Found::Before, "the last write cut half way"},
    {{WriteStep::FileFlushed, 1}, Cut::None, Cut::None, Found::Before, "flushed, not yet marked complete"},
    {{WriteStep::Completed, 1}, Cut::None, Cut::None, Found::After, "marked complete"},
    {{WriteStep::Completed, 1}, Cut::None, Cut::Tail, Found::Before, "the mark cut: the journal undoes"},
    {{WriteStep::JournalRemoved, 1}, Cut::None, Cut::None, Found::After, "done"},
};

class CrashAtEachStep : public ::testing::TestWithParam<CrashRow> {
protected:
    void SetUp() override
    {
        path_ = dir_.File("velmora.ini");
        journal_ = JournalPathFor(path_);
        WriteStepReached = OnStep;
    }
    void TearDown() override
    {
        ReleaseSettings();
        WriteStepReached = nullptr;
        g_onStep = nullptr;
        EXPECT_FALSE(PathExists(journal_)) << "a journal left beside velmora.ini";
    }
    // Initialisation, as the mail client's next start runs it.
    void Start() { UseSettingsFolder(dir_.path()); }
    // The group's file, held as a running plug-in holds it; none for first-run creation,
    // which comes before the file is held.
    void Prepare(const WriteGroup& group)
    {
        ReleaseSettings();
        ::DeleteFileA(path_.c_str());
        SettingsFilePath = path_;
        if (!group.file.empty()) {
            WriteFileBytes(path_, group.file);
            Start();
        }
    }
    // Runs the group's write, taking the disk at the crash point; the write goes on to
    // its end, leaving the file as after it.
    bool CrashIn(const WriteGroup& group, CrashPoint at, DiskFile& file, DiskFile& journal)
    {
        // First a run to count the steps.
        Prepare(group);
        g_stepsSeen.clear();
        group.write();
        int wanted = at.occurrence;
        if (wanted < 0)
            wanted = static_cast<int>(std::count(g_stepsSeen.begin(), g_stepsSeen.end(), at.step));
        Prepare(group);
        int seen = 0;
        bool taken = false;
        g_onStep = [&](WriteStep step) {
            if (step == at.step && ++seen == wanted) {
                file = Take(path_);
                journal = Take(journal_);
                taken = true;
            }
        };
        group.write();
        g_onStep = nullptr;
        return taken;
    }

    ScratchDir dir_;
    std::string path_;
    std::string journal_;
};

TEST_P(CrashAtEachStep, TheNextStartFindsTheFileAsBeforeOrAsAfterNeverAMix)
{
    const CrashRow& row = GetParam();
    for (const WriteGroup& group : Groups()) {
        SCOPED_TRACE(group.name);
        // The values as before and as after the write, read as the next start reads them.
        Prepare(group);
        const std::string before = group.file.empty() ? "" : AllValues(path_);
        DiskFile file, journal;
        ASSERT_TRUE(CrashIn(group, row.at, file, journal)) << "the step was never reached";
        const std::string after = AllValues(path_);
        ASSERT_NE(before, after) << "the write changed nothing";

        // The crash: the files as they were at that instant, as a power cut leaves them.
        ReleaseSettings();
        Leave(path_, file, row.file);
        Leave(journal_, journal, row.journal);
        Start();
        // The first-run file is made again by the start itself.
        const std::string expected = row.found == Found::After || group.file.empty() ? after : before;
        EXPECT_EQ(expected, AllValues(path_)) << row.why;
        const std::string password = row.found == Found::After ? group.passwordAfter : "pw";
        EXPECT_TRUE(PasswordMatches(group.file.empty() ? "" : password)) << row.why;
        if (group.file.find("Locked=1") != std::string::npos) {
            EXPECT_TRUE(LockedRecorded()) << "the lock comes back: " << row.why;
        }
        EXPECT_FALSE(PathExists(journal_)) << row.why;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, CrashAtEachStep, ::testing::ValuesIn(kCrashRows));

class JournalAtStart : public CrashAtEachStep {};

// Crashes again while the next start puts the file back: the start after puts it back
// again, even an hour after the first crash.
TEST_F(JournalAtStart, APutBackCutByAnotherCrashIsPutBackAgain)
{
    const struct {
        WriteStep step;
        Cut file;
    } crashes[] = {{WriteStep::PutBackBegun, Cut::None}, {WriteStep::FilePutBack, Cut::Half},
                   {WriteStep::FilePutBack, Cut::Empty}};
    for (const auto& again : crashes) {
        SCOPED_TRACE(static_cast<int>(again.step));
        const WriteGroup group = Groups()[0];
        DiskFile file, journal;
        Prepare(group);
        const std::string before = AllValues(path_);
        ASSERT_TRUE(CrashIn(group, {WriteStep::ValueWritten, 1}, file, journal));
        ReleaseSettings();
        // The first crash an hour ago.
        JournalRecord record;
        ASSERT_TRUE(ParseJournal(journal.bytes, record));
        journal.bytes = EncodeJournal(true, record.preImage, record.stamp - 3600ull * 10000000ull);
        Leave(path_, file, Cut::Empty);
        SetWritten(path_, Shifted(file.written, -3600));
        Leave(journal_, journal, Cut::None);

        // The next start, cut in the middle of the put-back.
        g_onStep = [&](WriteStep step) {
            if (step == again.step) {
                file = Take(path_);
                journal = Take(journal_);
            }
        };
        Start();
        g_onStep = nullptr;
        ReleaseSettings();
        Leave(path_, file, again.file);
        Leave(journal_, journal, Cut::None);
        Start();
        EXPECT_EQ(before, AllValues(path_));
        EXPECT_TRUE(LockedRecorded());
        EXPECT_TRUE(PasswordMatches("pw"));
        EXPECT_FALSE(PathExists(journal_));
    }
}

// The README's way out of a forgotten password: with the client ended (here by a crash in
// the middle of a write), the Password line deleted by hand; or the whole file.
TEST_F(JournalAtStart, AFileChangedByHandAfterTheCrashIsNotUndone)
{
    for (bool removeFile : {false, true}) {
        SCOPED_TRACE(removeFile);
        const WriteGroup group = Groups()[0];
        DiskFile file, journal;
        ASSERT_TRUE(CrashIn(group, {WriteStep::ValueWritten, 1}, file, journal));
        ReleaseSettings();
        Leave(journal_, journal, Cut::None);
        std::string edited = file.bytes;
        const size_t line = edited.find("Password=");
        ASSERT_NE(std::string::npos, line);
        edited.erase(line, edited.find("\r\n", line) + 2 - line);
        ::DeleteFileA(path_.c_str());
        if (!removeFile) {
            WriteFileBytes(path_, edited);
            // Saved in Notepad a minute after the crash.
            SetWritten(path_, Shifted(file.written, 60));
        }
        Start();
        if (removeFile) {
            EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(path_)) << "made anew at the start";
        } else {
            EXPECT_EQ(edited, ReadFileBytes(path_)) << "the journal undid a change made by hand";
            EXPECT_TRUE(LockedRecorded());
        }
        EXPECT_TRUE(PasswordMatches("")) << "an empty password opens";
        EXPECT_FALSE(PathExists(journal_)) << "the journal is dropped, not kept for later";
    }
}

// ---- the real client killed while it saves the memo ---------------------------------

TEST(KilledWhileSaving, EachNextStartHasTheLockThePasswordAndTheMemoBeforeOrAfter)
{
    ClientLayout layout;
    InstallLibrary("velmora.dll", layout.ProgramPlugins());
    ::CreateDirectoryA(layout.DataPlugins().c_str(), nullptr);
    const std::string settings = layout.DataPlugins() + "\\velmora.ini";
    const std::string journalPath = JournalPathFor(settings);
    WriteFileBytes(settings, "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) +
                                 "\r\nSaveMemoPadText=1\r\nMemoPadText=back at\r\nLocked=1\r\n");
    const std::string command = "\"" + ProgramDirectory() + "\\velmora_host.exe\" --mail-check 0 --program \"" +
                                layout.program() + "\" --data \"" + layout.data() + "\"";
    // Another program's window: its text is asked for.
    const auto memoOf = [](HWND cover) {
        char text[1024] = "";
        ::SendDlgItemMessageA(cover, IDC_COVER_MEMO, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    std::string before = "back at";
    std::string typed = before;
    int killedInside = 0;
    constexpr int kKills = 6;
    for (int kill = 0; kill <= kKills; ++kill) {
        SCOPED_TRACE(kill);
        ProgramRun client(command);
        // The recorded lock brings the cover up at the start.
        HWND cover = WaitForDesktopDialog("Eudora", IDC_COVER_UNLOCK, "", 20000);
        ASSERT_NE(nullptr, cover) << "no cover at the start: the lock was lost";
        const std::string found = memoOf(cover);
        EXPECT_TRUE(found == before || found == typed) << "the memo came back as neither: " << found;
        EXPECT_FALSE(PathExists(journalPath)) << "the start left the journal";
        if (kill == kKills) {
            // The last start: the same password opens.
            SetItemText(cover, IDC_COVER_PASSWORD, "pw");
            PostClick(cover, IDC_COVER_UNLOCK);
            EXPECT_TRUE(WaitForGone(cover, 10000)) << "the password no longer opens";
            break;
        }
        DWORD process = 0;
        ::GetWindowThreadProcessId(cover, &process);
        HANDLE handle = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, process);
        ASSERT_NE(nullptr, handle);
        // One character more, saved when the typing pauses; the client is killed the
        // moment that save's journal shows.
        before = found;
        ::PostMessageA(::GetDlgItem(cover, IDC_COVER_MEMO), WM_CHAR, 'a' + kill, 0);
        ASSERT_TRUE(WaitUntil([&] { return memoOf(cover) != before; }));
        typed = memoOf(cover);
        const DWORD start = ::GetTickCount();
        while (!PathExists(journalPath) && ::GetTickCount() - start < 6000)
            ;
        ::TerminateProcess(handle, 9);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(handle, 5000));
        ::CloseHandle(handle);
        if (PathExists(journalPath))
            ++killedInside;
    }
    std::printf("killed inside a memo save %d of %d times\n", killedInside, kKills);
    EXPECT_GT(killedInside, 0) << "no kill landed inside a save";
}

} // namespace
