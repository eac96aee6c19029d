// Writes of velmora.ini are all or nothing. Each step of each write is taken in turn as
// the instant of a crash: the files are left as the crash leaves them (cut where a power
// cut may cut them), and a new initialisation in the same process shows what the next
// start finds. Then the real client, killed again and again while it saves the memo.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "resource.h"
#include "settings/IniFile.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "support/ClientLayout.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// The journal's own format and the recovery decision are tested in test_journal_format.cpp.
TEST(JournalPath, BesideTheSettingsFile)
{
    EXPECT_EQ("C:\\Mail\\velmora.jnl", JournalPathFor("C:\\Mail\\velmora.ini")) << "no longer a path";
}

// What a crash leaves of what was not flushed: all, nothing, half, or all but the end.
enum class Cut { None, Empty, Half, Tail };

struct DiskFile {
    bool exists = false;
    std::string bytes;
    FILETIME written{};
};

DiskFile Take(const std::string& path)
{
    DiskFile file;
    WIN32_FILE_ATTRIBUTE_DATA data;
    file.exists = ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != FALSE;
    file.bytes = file.exists ? ReadFileBytes(path) : "";
    file.written = data.ftLastWriteTime;
    return file;
}

// The file as the crash left it, last written when it was, or `seconds` later.
void Leave(const std::string& path, const DiskFile& file, Cut cut, long long seconds = 0)
{
    ::DeleteFileA(path.c_str());
    if (!file.exists)
        return;
    const size_t size = file.bytes.size();
    WriteFileBytes(path, file.bytes.substr(0, cut == Cut::Empty ? 0 : cut == Cut::Half ? size / 2
                                                : cut == Cut::Tail ? size - 3 : size));
    ULARGE_INTEGER time{{file.written.dwLowDateTime, file.written.dwHighDateTime}};
    if (time.QuadPart == 0)
        return;
    time.QuadPart += static_cast<ULONGLONG>(seconds * 10000000LL);
    const FILETIME written{time.LowPart, time.HighPart};
    HANDLE handle = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(::SetFileTime(handle, nullptr, nullptr, &written));
    ::CloseHandle(handle);
}

// Hands each step of the file's writes to whoever watches now.
class StepWatch : public WriteObserver {
public:
    std::function<void(WriteStep)> onStep;
    void Reached(WriteStep step) override
    {
        if (onStep)
            onStep(step);
    }
};

// Every value the next start may read, the records included.
std::string AllValues(const SettingsFile& settings)
{
    const IniFile file(settings.FileName());
    std::string values;
    for (const char* key : {kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora, kKeyMemoPadText,
                            kKeyMemoPadTextUtf8, kKeyPassword, kKeyLockAfterMinutes, kKeyLockWithWindows, kKeyLocked,
                            kKeyWrongPasswords, kKeyLastWrongPassword})
        values += std::string(key) + "=" + file.ReadString(key, "-") + "\n";
    return values;
}

const std::string kLocked = "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) +
                            "\r\nStretch=1\r\nMemoPadText=before\r\nLocked=1\r\n";
const std::string kLockedAfterWrongTries = kLocked + "WrongPasswords=3\r\nLastWrongPassword=1700000000\r\n";

// The writes the plug-in makes as one unit, each from the file it finds (none: first run).
struct GroupCase {
    const char* name;
    std::string file;
    std::function<void(SettingsFile&)> write;
    std::string passwordAfter;
};
const std::vector<GroupCase>& Groups()
{
    static const std::wstring unicode = L"caf\u00e9 \u03a3\U0001F600\r\nnext";
    static const std::string newPassword = "new";
    static const std::vector<GroupCase> groups = {
        {"memo save with its side key", kLocked, [](SettingsFile& s) { s.SaveMemoPadText({unicode.begin(), unicode.end()}); },
         "pw"},
        {"lock record", "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) + "\r\n",
         [](SettingsFile& s) { s.RecordLocked(); }, "pw"},
        {"wrong-password record", kLocked, [](SettingsFile& s) { s.RecordWrongPasswords({3, 1700000000}); }, "pw"},
        {"Apply with a new password", kLocked,
         [](SettingsFile& s) { s.ApplySettings({1, 0, 0, 0}, {5, 1, false, false}, &newPassword); }, "new"},
        {"first-run creation", "", [](SettingsFile& s) { s.CreateIfMissing(); }, ""},
        {"unlock: the lock record removed", kLocked, [](SettingsFile& s) { s.ClearLockedRecord(); }, "pw"},
        {"unlock: the wrong tries cleared", kLockedAfterWrongTries, [](SettingsFile& s) { s.ClearWrongPasswords(); },
         "pw"},
    };
    return groups;
}

// What happens after the crash, before the next start.
enum class Then { Nothing, EditedByHand, OldCopyPutBack, RemovedByHand, PutBackCutAnHourLater };
enum class Found { Before, After, ByHand };

struct CrashRow {
    WriteStep step;
    bool last;  // the step's last time in the write, not its first
    Cut file, journal;
    Then then;
    Found found;
    const char* why;
};
void PrintTo(const CrashRow& row, std::ostream* out)
{
    *out << row.why;
}

const CrashRow kRows[] = {
    {WriteStep::JournalWritten, false, Cut::None, Cut::Half, Then::Nothing, Found::Before, "journal cut half way"},
    {WriteStep::JournalWritten, false, Cut::None, Cut::Empty, Then::Nothing, Found::Before, "journal empty"},
    {WriteStep::JournalFlushed, false, Cut::None, Cut::None, Then::Nothing, Found::Before, "file untouched"},
    {WriteStep::ValueWritten, false, Cut::None, Cut::None, Then::Nothing, Found::Before, "first write made"},
    {WriteStep::ValueWritten, false, Cut::Empty, Cut::None, Then::Nothing, Found::Before, "first write cut to nothing"},
    {WriteStep::ValueWritten, true, Cut::Half, Cut::None, Then::Nothing, Found::Before, "last write cut half way"},
    {WriteStep::FileFlushed, false, Cut::None, Cut::None, Then::Nothing, Found::Before, "flushed, not marked"},
    {WriteStep::Completed, false, Cut::None, Cut::Tail, Then::Nothing, Found::Before, "the mark cut"},
    {WriteStep::Completed, false, Cut::None, Cut::None, Then::Nothing, Found::After, "marked complete"},
    {WriteStep::JournalRemoved, false, Cut::None, Cut::None, Then::Nothing, Found::After, "done"},
    {WriteStep::ValueWritten, true, Cut::Half, Cut::None, Then::EditedByHand, Found::ByHand, "edited by hand"},
    {WriteStep::ValueWritten, true, Cut::Half, Cut::None, Then::OldCopyPutBack, Found::ByHand,
     "a copy three days old put back by hand, keeping its date"},
    {WriteStep::ValueWritten, true, Cut::Half, Cut::None, Then::RemovedByHand, Found::ByHand, "removed by hand"},
    {WriteStep::ValueWritten, false, Cut::Empty, Cut::None, Then::PutBackCutAnHourLater, Found::Before,
     "put-back cut"},
};

class CrashAtEachStep : public ::testing::TestWithParam<CrashRow> {
protected:
    void TearDown() override { settings_.Release(); }
    // Initialisation as the client's next start runs it; none for first-run creation,
    // which comes before the file is held.
    void Start(const std::string& file = "-")
    {
        settings_.Release();
        if (file != "-")
            Leave(path_, DiskFile{!file.empty(), file, {}}, Cut::None);
        if (!file.empty())
            settings_.UseFolder(dir_.path());
    }
    // The disk at the crash point, then on to the write's end.
    void CrashIn(const GroupCase& group, const CrashRow& row)
    {
        int seen = 0;
        watch_.onStep = [&](WriteStep step) {
            if (step == row.step && (seen++ == 0 || row.last)) {
                file_ = Take(path_);
                journal_ = Take(JournalPathFor(path_));
            }
        };
        group.write(settings_);
        watch_.onStep = nullptr;
        ASSERT_GT(seen, 0) << "the step was never reached";
    }

    ScratchDir dir_;
    const std::string path_ = dir_.File("velmora.ini");
    StepWatch watch_;
    SettingsFile settings_{path_, &watch_};
    DiskFile file_, journal_;
};

TEST_P(CrashAtEachStep, TheNextStartFindsTheFileAsBeforeAsAfterOrAsChangedByHandNeverAMix)
{
    const CrashRow& row = GetParam();
    for (const GroupCase& group : Groups()) {
        SCOPED_TRACE(group.name);
        Start(group.file);
        const std::string before = group.file.empty() ? "" : AllValues(settings_);
        ASSERT_NO_FATAL_FAILURE(CrashIn(group, row));
        const std::string after = AllValues(settings_);
        settings_.Release();
        Leave(path_, file_, row.file);
        Leave(JournalPathFor(path_), journal_, row.journal);
        std::string byHand = ReadFileBytes(path_);
        if (row.then == Then::EditedByHand || row.then == Then::OldCopyPutBack) {
            // The README's way out of a forgotten password, saved a minute after the crash,
            // or a copy of the file from before, dated days before the journal.
            const size_t line = byHand.find("Password=");
            if (line != std::string::npos)
                byHand.erase(line, byHand.find('\n', line) + 1 - line);
            Leave(path_, DiskFile{true, byHand, file_.written}, Cut::None,
                  row.then == Then::EditedByHand ? 60 : -3 * 86400);
        } else if (row.then == Then::RemovedByHand) {
            ::DeleteFileA(path_.c_str());
            byHand = "[Settings]\r\nPassword=\r\n";
        } else if (row.then == Then::PutBackCutAnHourLater) {
            JournalRecord record;
            ASSERT_TRUE(ParseJournal(journal_.bytes, record));
            const DiskFile old{true, EncodeJournal(record.fileExisted, record.preImage, record.stamp - 36000000000ull)};
            Leave(JournalPathFor(path_), old, Cut::None);
            Leave(path_, file_, row.file, -3600);
            watch_.onStep = [&](WriteStep step) {
                if (step == WriteStep::FilePutBack) {
                    file_ = Take(path_);
                    journal_ = Take(JournalPathFor(path_));
                }
            };
            Start();
            watch_.onStep = nullptr;
            Leave(path_, file_, Cut::Half);
            Leave(JournalPathFor(path_), journal_, Cut::None);
        }
        Start();
        EXPECT_FALSE(PathExists(JournalPathFor(path_))) << "the start left the journal";
        if (row.found == Found::ByHand) {
            EXPECT_EQ(byHand, ReadFileBytes(path_)) << "a change made by hand was undone";
            EXPECT_TRUE(settings_.PasswordMatches(""));
            continue;
        }
        // The first-run file is made again by the start itself.
        const bool isAfter = row.found == Found::After || group.file.empty();
        EXPECT_EQ(isAfter ? after : before, AllValues(settings_));
        EXPECT_TRUE(settings_.PasswordMatches(isAfter ? group.passwordAfter : "pw"));
        EXPECT_TRUE(isAfter || group.file.find("Locked=1") == std::string::npos || settings_.LockedRecorded())
            << "the lock is lost";
    }
}

INSTANTIATE_TEST_SUITE_P(EveryStep, CrashAtEachStep, ::testing::ValuesIn(kRows));

// Without a journal nothing is written: a cut file could cost the password or the lock.
TEST(NoJournal, EveryKindOfWriteLeavesTheFileAsItWas)
{
    static const std::string newPassword = "new";
    const struct {
        const char* name;
        std::function<bool(SettingsFile&)> write;
    } writes[] = {
        {"Apply, switches only", [](SettingsFile& s) { return s.ApplySettings({1, 1, 0, 1}, {5, 1, true, true}, nullptr); }},
        {"Apply with a new password", [](SettingsFile& s) { return s.ApplySettings({}, {}, &newPassword); }},
        {"memo save", [](SettingsFile& s) { return s.SaveMemoPadText({L'\u03a3', L'x'}); }},
        {"lock record", [](SettingsFile& s) { return s.RecordLocked(); }},
        {"lock record removed", [](SettingsFile& s) { return s.ClearLockedRecord(); }},
        {"wrong tries recorded", [](SettingsFile& s) { return s.RecordWrongPasswords({4, 1700000100}); }},
        {"wrong tries cleared", [](SettingsFile& s) { return s.ClearWrongPasswords(); }},
    };
    const struct {
        const char* name;
        bool folder;  // a folder of the journal's name; else the journal held without sharing
    } blockers[] = {{"a folder named velmora.jnl", true}, {"velmora.jnl held by another program", false}};
    for (const auto& blocker : blockers) {
        for (const auto& write : writes) {
            SCOPED_TRACE(std::string(blocker.name) + ", " + write.name);
            ScratchDir dir;
            const std::string path = dir.File("velmora.ini");
            const std::string file = write.name == std::string("lock record") ? kLocked.substr(0, kLocked.size() - 10)
                                                                                : kLockedAfterWrongTries;
            WriteFileBytes(path, file);
            ScopedHandle held;
            if (blocker.folder)
                ASSERT_TRUE(::CreateDirectoryA(JournalPathFor(path).c_str(), nullptr));
            else
                held.Reset(::CreateFileA(JournalPathFor(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            ASSERT_TRUE(blocker.folder || held.IsValid());
            SettingsFile settings(path);
            EXPECT_FALSE(write.write(settings));
            EXPECT_EQ(file, ReadFileBytes(path));
            EXPECT_EQ(SaveProblem::NoFileBeside, settings.LastSaveProblem()) << "the messages name the cause";
            held.Reset();
            ::RemoveDirectoryA(JournalPathFor(path).c_str()) || ::DeleteFileA(JournalPathFor(path).c_str());
        }
    }
}

// The stand-in client as a program of its own, killed the moment a memo save's journal
// shows, again and again: each next start has the lock, the memo before or after.
TEST(KilledWhileSaving, EachNextStartHasTheLockThePasswordAndTheMemoBeforeOrAfter)
{
    ClientLayout layout;
    InstallLibrary("velmora.dll", layout.ProgramPlugins());
    ::CreateDirectoryA(layout.DataPlugins().c_str(), nullptr);
    const std::string journal = JournalPathFor(layout.DataPlugins() + "\\velmora.ini");
    WriteFileBytes(layout.DataPlugins() + "\\velmora.ini", "[Settings]\r\nPassword=" + Scramble("pw", ScramblerKey) +
                                                                "\r\nMemoPadText=back at\r\nLocked=1\r\n");
    const std::string command = "\"" + ProgramDirectory() + "\\velmora_host.exe\" --mail-check 0 --program \"" +
                                layout.program() + "\" --data \"" + layout.data() + "\"";
    const auto memoOf = [](HWND cover) {
        char text[256] = "";
        ::SendDlgItemMessageA(cover, IDC_COVER_MEMO, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    std::string before = "back at", typed = before;
    int killedInside = 0;
    for (int kill = 0;; ++kill) {
        SCOPED_TRACE(kill);
        ProgramRun client(command);
        HWND cover = WaitForDesktopDialog("Eudora", IDC_COVER_UNLOCK, "", 20000);
        ASSERT_NE(nullptr, cover) << "no cover at the start: the lock was lost";
        const std::string found = memoOf(cover);
        EXPECT_TRUE(found == before || found == typed) << found;
        EXPECT_FALSE(PathExists(journal)) << "the start left the journal";
        if (kill == 6) {
            Unlock(cover, "pw", 10000);
            break;
        }
        DWORD id = 0;
        ::GetWindowThreadProcessId(cover, &id);
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        before = found;
        ::PostMessageA(::GetDlgItem(cover, IDC_COVER_MEMO), WM_CHAR, 'a' + kill, 0);
        ASSERT_TRUE(WaitUntil([&] { return (typed = memoOf(cover)) != before; }));
        for (const DWORD start = ::GetTickCount(); !PathExists(journal) && ::GetTickCount() - start < 6000;)
            ;
        ::TerminateProcess(process, 9);
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 5000));
        ::CloseHandle(process);
        killedInside += PathExists(journal) ? 1 : 0;
    }
    std::printf("killed inside a memo save %d of 6 times\n", killedInside);
    EXPECT_GT(killedInside, 0) << "no kill landed inside a save";
}

} // namespace
