// The setup program built with the plug-in, run as users run it: into the mail client's
// default layout found through the client's record of its last start, over an earlier
// install, while the client runs, into a folder it cannot write, for two data folders;
// then its uninstaller, as Add/Remove Programs starts it, also after the data folder moved.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/PluginLoader.h"
#include "plugin/VersionInfoReader.h"
#include "support/ClientLayout.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/ProgramRun.h"
#include "support/SetupEntry.h"
#include "support/TempDirectory.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"
#include "version.h"

using namespace testing_support;

namespace {

const char* const kSetupCaption = VELMORA_PRODUCT_NAME " " VELMORA_VERSION_DOTTED " Setup";
const char* const kUninstallCaption = VELMORA_PRODUCT_NAME " " VELMORA_VERSION_DOTTED " Uninstall";
const char* const kRemoveSettingsBox = "Also remove my Velmora settings (password and memo pad)";
constexpr DWORD kExitClientRunning = 3;
constexpr DWORD kExitNotWritten = 6;
constexpr int kNextButton = 1;       // the wizard's Install / Uninstall / Finish button
constexpr int kDirectoryEdit = 1019;

// A user's velmora.ini after a while: scrambled password, memo with a TAB line break and
// bytes above 127, switches.
const char* const kUserSettings = "[Settings]\r\nPassword=\x1b\x0f\x15\x7f\x42\r\nStartUp=1\r\n"
                                  "MemoPadText=Back at three.\tKey under the mat \xe9\xfc\r\n";

const std::string kSetup = ProgramDirectory() + "\\velmora-" VELMORA_VERSION_DOTTED "-setup.exe";

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }
bool SamePath(const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) == 0; }

// Presses the wizard's Next button whenever it is enabled on a page without `control`
// (the instfiles page, then the finish page) until the wizard is gone. After a press it
// gives the wizard time to act, as a person would: looking into the wizard's windows
// while its process ends now and then sends wine 10's server into an endless loop
// (measured: once in 6 to 80 uninstalls; never in 120 with the pause).
bool FinishWizard(HWND wizard, int control, const std::string& controlText = "")
{
    return WaitUntil(
        [&] {
            HWND next = ::GetDlgItem(wizard, kNextButton);
            if (::IsWindowEnabled(next) && FindDescendant(wizard, control, controlText) == nullptr) {
                ::PostMessageA(next, BM_CLICK, 0, 0);
                ::Sleep(500);
            }
            return !::IsWindow(wizard);
        },
        30000);
}

// The uninstall strings of a data folder's entry: the copy of the uninstaller kept
// outside that folder, run in place on its Plugins folder.
std::string RegisteredCommand(const std::string& dataFolder, const char* options)
{
    const std::string key = SetupEntryKey(dataFolder);
    const std::string name = key.substr(key.rfind('\\') + 1);
    return Quoted(SetupUninstallersFolder() + "\\" + name + ".exe") + options + " /ENTRY=" + name +
           " _?=" + dataFolder + "\\Plugins";
}

// Whether programs without relocations, as setup and its uninstaller are, can be mapped
// at their fixed base address here. Under qemu's i386 emulator wine 10 cannot (its own
// loader, a position-independent program, is placed where they belong): every start of
// setup ends at once with STATUS_CONFLICTING_ADDRESSES. Only there are the checks that run
// setup skipped.
bool FixedBaseProgramsStart()
{
    constexpr DWORD kConflictingAddresses = 0xC0000018;
    static const bool starts = [] {
        const char* mode = std::getenv("VELMORA_IA32");
        if (mode == nullptr || std::string(mode) != "emulated")
            return true;
        return RunToEnd(Quoted(ProgramDirectory() + "\\fixed_base.exe")) != kConflictingAddresses;
    }();
    return starts;
}

class InstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!FixedBaseProgramsStart())
            GTEST_SKIP() << "qemu's i386 emulator: wine cannot map a program at its fixed base "
                            "address (c0000018), so setup cannot start here";
    }

    std::string Installed(const char* name) const { return layout_.DataPlugins() + "\\" + name; }
    std::string Uninstaller() const { return Installed("velmora-uninstall.exe"); }
    std::string EntryKey() const { return SetupEntryKey(layout_.data()); }
    std::string Entry(const char* value) const { return ReadUserValue(EntryKey(), value); }
    std::string QuietUninstall() const { return Entry("QuietUninstallString"); }

    // Setup's files in the data folder's Plugins, as built, and its Add/Remove Programs entry.
    void ExpectInstalled() const
    {
        EXPECT_TRUE(ReadFileBytes(BuiltPluginPath()) == ReadFileBytes(Installed("velmora.dll")));
        EXPECT_EQ(ReadFileBytes(ProgramDirectory() + "\\..\\installer\\velmora.txt"),
                  ReadFileBytes(Installed("velmora.txt")));
        EXPECT_TRUE(PathExists(Uninstaller()));
        EXPECT_PRED2(SamePath, VELMORA_PRODUCT_NAME " (" + layout_.data() + ")", Entry("DisplayName"));
        EXPECT_EQ(VELMORA_VERSION_DOTTED, Entry("DisplayVersion"));
        EXPECT_PRED2(SamePath, RegisteredCommand(layout_.data(), ""), Entry("UninstallString"));
        EXPECT_PRED2(SamePath, RegisteredCommand(layout_.data(), " /S"), QuietUninstall());
        EXPECT_TRUE(PathExists(SetupUninstallersFolder() + "\\" + EntryKey().substr(EntryKey().rfind('\\') + 1) + ".exe"));
    }

    // Nothing of setup's left for the data folder: no files but the settings, no entry, no
    // uninstaller outside.
    void ExpectRemoved(const ClientLayout& layout) const
    {
        for (const char* name : {"velmora.dll", "velmora.txt", "velmora-uninstall.exe", "velmora-uninstall.ini"})
            EXPECT_FALSE(PathExists(layout.DataPlugins() + "\\" + name)) << name;
        EXPECT_FALSE(UserKeyExists(SetupEntryKey(layout.data())));
        const std::string key = SetupEntryKey(layout.data());
        EXPECT_FALSE(PathExists(SetupUninstallersFolder() + "\\" + key.substr(key.rfind('\\') + 1) + ".exe"));
    }

    OwnedUserKey clientRecord_{ClientLayout::kRecordKey};
    ClientLayout layout_;
    OwnedUserKey uninstallEntry_{EntryKey()};
    ScratchDir temp_;   // where the uninstaller runs its copy from
    TempDirectoryOverride tempOverride_{temp_.path()};
};

TEST(InstallerFile, CarriesThePluginsProductNameAndVersion)
{
    VersionInfoReader plugin, setup;
    ASSERT_EQ(1, plugin.Open(BuiltPluginPath().c_str()));
    ASSERT_EQ(1, setup.Open(kSetup.c_str()));
    for (const char* key : {"ProductName", "ProductVersion", "CompanyName", "LegalCopyright"}) {
        EXPECT_NE("", plugin.QueryValue(key)) << key;
        EXPECT_EQ(plugin.QueryValue(key), setup.QueryValue(key)) << key;
    }
}

TEST_F(InstallerTest, InstallsSilentlyWhereTheClientsRecordPointsAndThePluginLoadsFromThere)
{
    layout_.RecordStart();
    ASSERT_NE(std::string::npos, layout_.CommandLine().find('~')) << "short paths, as the client records them";
    // A copy made by hand in the program folder would load twice; other plug-ins stay.
    WriteFileBytes(layout_.ProgramPlugins() + "\\velmora.dll", "copied by hand");
    WriteFileBytes(layout_.ProgramPlugins() + "\\esp.dll", "another plug-in");

    EXPECT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S"));

    ExpectInstalled();
    EXPECT_FALSE(PathExists(Installed("velmora.ini"))) << "the settings are the plug-in's to write";
    EXPECT_EQ(std::vector<std::string>{"esp.dll"}, ListDirectory(layout_.ProgramPlugins()));

    // The client loads both Plugins folders: Velmora now once, from the data folder's.
    HWND mainWindow = nullptr;
    velmora_host::PluginHost host(layout_.Folders(), &mainWindow);
    ASSERT_EQ(1u, host.LoadAll());
    EXPECT_EQ(VELMORA_PRODUCT_NAME ", Version: " VELMORA_VERSION_DOTTED, host.plugins().at(0)->Description());
    host.UnloadAll();
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(Installed("velmora.ini")));
}

TEST_F(InstallerTest, UpgradeAndSilentUninstallKeepTheUsersSettings)
{
    ::CreateDirectoryA(layout_.DataPlugins().c_str(), nullptr);
    WriteFileBytes(Installed("velmora.dll"), "an earlier velmora.dll");
    WriteFileBytes(Installed("velmora.txt"), "earlier release notes");
    WriteFileBytes(Installed("velmora.ini"), kUserSettings);
    // Left by a write the client's end cut short: the settings' own, kept with them.
    WriteFileBytes(Installed("velmora.jnl"), kUserSettings);
    // Earlier setups had one entry, whatever the data folder: it gives way, no duplicate.
    const std::string earlierEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
    OwnedUserKey earlier(earlierEntry);
    WriteUserValue(earlierEntry, "InstallLocation", layout_.DataPlugins());
    ASSERT_TRUE(UserKeyExists(earlierEntry));

    // No record of the client here: the data folder is named on the command line.
    EXPECT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    ExpectInstalled();
    EXPECT_FALSE(UserKeyExists(earlierEntry)) << "the earlier setup's entry is left beside the new one";
    EXPECT_EQ(kUserSettings, ReadFileBytes(Installed("velmora.ini")));

    EXPECT_EQ(0u, RunToEnd(QuietUninstall()));

    EXPECT_EQ((std::vector<std::string>{"velmora.ini", "velmora.jnl"}), ListDirectory(layout_.DataPlugins()));
    EXPECT_EQ(kUserSettings, ReadFileBytes(Installed("velmora.ini")));
    ExpectRemoved(layout_);
    // Planted here, not left by the plug-in.
    ::DeleteFileA(Installed("velmora.jnl").c_str());
}

TEST_F(InstallerTest, RefusesSilentlyWhileTheClientRuns)
{
    layout_.RecordStart();
    WriteFileBytes(layout_.ProgramPlugins() + "\\velmora.dll", "copied by hand");
    TestWindow client(kHostMainWindowClass, "Eudora");

    EXPECT_EQ(kExitClientRunning, RunToEnd(Quoted(kSetup) + " /S"));

    EXPECT_FALSE(PathExists(layout_.DataPlugins()));
    EXPECT_EQ("copied by hand", ReadFileBytes(layout_.ProgramPlugins() + "\\velmora.dll"));
    EXPECT_FALSE(UserKeyExists(EntryKey()));
}

// The wizard: asks to close the running client, then shows the recorded data folder.
TEST_F(InstallerTest, WaitsForTheClientToCloseAndShowsTheRecordedDataFolder)
{
    layout_.RecordStart();
    auto client = std::make_unique<TestWindow>(kHostMainWindowClass, "Eudora");
    ProgramRun setup(Quoted(kSetup));

    HWND box = WaitForDesktopDialog(kSetupCaption, IDRETRY);
    ASSERT_NE(nullptr, box);
    EXPECT_NE(nullptr, FindDescendant(box, IDCANCEL));
    EXPECT_NE(std::string::npos, MessageBoxText(box).find("The mail client is running.\r\n\r\nPlease close it, then press Retry."));
    PostClick(box, IDRETRY);
    ASSERT_TRUE(WaitForGone(box));
    box = WaitForDesktopDialog(kSetupCaption, IDRETRY);
    ASSERT_NE(nullptr, box) << "asks again while the client runs";

    client.reset();
    PostClick(box, IDRETRY);
    HWND wizard = WaitForDesktopDialog(kSetupCaption, kDirectoryEdit);
    ASSERT_NE(nullptr, wizard);
    EXPECT_PRED2(SamePath, layout_.data(), WindowText(FindDescendant(wizard, kDirectoryEdit)));
    PostClick(wizard, kNextButton);
    EXPECT_TRUE(FinishWizard(wizard, kDirectoryEdit));
    ASSERT_TRUE(setup.WaitForAll());
    EXPECT_EQ(0u, setup.exitCode());
    ExpectInstalled();
}

// Ticked, the settings go with their journal (also one set aside) and a new file a write
// left: the password's scrambled form and the memo as they were before a write.
TEST_F(InstallerTest, UninstallerRemovesTheSettingsOnlyWhenTheUserTicksTheBox)
{
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    WriteFileBytes(Installed("velmora.ini"), kUserSettings);
    WriteFileBytes(Installed("velmora.jnl"), kUserSettings);
    // Set aside as too large to be a journal, and left by a write cut short.
    WriteFileBytes(Installed("velmora.jnl.bad"), kUserSettings);
    WriteFileBytes(Installed("velmora.new"), kUserSettings);
    WriteFileBytes(Installed("esp.dll"), "another plug-in");

    ProgramRun uninstall(Entry("UninstallString"));
    HWND wizard = WaitForDesktopDialog(kUninstallCaption, 0, kRemoveSettingsBox);
    ASSERT_NE(nullptr, wizard);
    HWND box = FindDescendant(wizard, 0, kRemoveSettingsBox);
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageA(box, BM_GETCHECK, 0, 0));
    ::PostMessageA(box, BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return ::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    PostClick(wizard, kNextButton);
    EXPECT_TRUE(FinishWizard(wizard, 0, kRemoveSettingsBox));
    ASSERT_TRUE(uninstall.WaitForAll());

    EXPECT_EQ(std::vector<std::string>{"esp.dll"}, ListDirectory(layout_.DataPlugins()));
    ExpectRemoved(layout_);
}

TEST_F(InstallerTest, SilentInstallIntoAPluginsFolderItCannotWriteFailsAndRegistersNothing)
{
    ::CreateDirectoryA(layout_.DataPlugins().c_str(), nullptr);
    UnwritableFolder locked(layout_.DataPlugins());
    if (!locked.held())
        GTEST_SKIP() << "no way here to make a folder unwritable";

    EXPECT_EQ(kExitNotWritten, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));

    EXPECT_EQ(std::vector<std::string>{}, ListDirectory(layout_.DataPlugins()));
    ExpectRemoved(layout_);
}

// Ignore in the write-error boxes: setup says what failed and ends without a finish page.
TEST_F(InstallerTest, InteractiveInstallIntoAFolderItCannotWriteEndsWithoutAFinishPage)
{
    ::CreateDirectoryA(layout_.DataPlugins().c_str(), nullptr);
    UnwritableFolder locked(layout_.DataPlugins());
    if (!locked.held())
        GTEST_SKIP() << "no way here to make a folder unwritable";
    ProgramRun setup(Quoted(kSetup) + " /D=" + layout_.data());
    HWND wizard = WaitForDesktopDialog(kSetupCaption, kDirectoryEdit);
    ASSERT_NE(nullptr, wizard);
    PostClick(wizard, kNextButton);

    const std::string failure = "Setup could not write its files into\r\n" + layout_.DataPlugins() +
                                "\r\n\r\nVelmora is not installed there. Another program may be using a file "
                                "in that folder, or you may not be allowed to write there. Close that program "
                                "or choose another data folder, then run setup again.";
    HWND box = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (HWND error = WaitForDesktopDialog(kSetupCaption, IDIGNORE, "", 100))
                PostClick(error, IDIGNORE);
            return (box = WaitForDesktopDialog(kSetupCaption, 0, failure, 100)) != nullptr;
        },
        15000));
    PostClick(box, IDOK);
    ASSERT_TRUE(WaitForGone(box));
    // Only Cancel is left: no way on to a finish page.
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(::GetDlgItem(wizard, IDCANCEL)) != FALSE; }));
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(wizard, kNextButton)));
    EXPECT_EQ(nullptr, FindDescendant(wizard, 0, VELMORA_PRODUCT_NAME " is installed"));
    PostClick(wizard, IDCANCEL);
    if (HWND sure = WaitForDesktopDialog(kSetupCaption, IDYES, "", 2000))
        PostClick(sure, IDYES);
    ASSERT_TRUE(setup.WaitForAll());
    EXPECT_EQ(kExitNotWritten, setup.exitCode());
    ExpectRemoved(layout_);
}

TEST_F(InstallerTest, RegisteredQuietUninstallReportsTheRunningClientAndRemovesNothing)
{
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    {
        TestWindow client(kHostMainWindowClass, "Eudora");
        EXPECT_EQ(kExitClientRunning, RunToEnd(QuietUninstall()));
        ExpectInstalled();
    }
    EXPECT_EQ(0u, RunToEnd(QuietUninstall()));
    ExpectRemoved(layout_);
}

TEST_F(InstallerTest, EachDataFolderHasItsOwnEntryAndUninstallsOnItsOwn)
{
    ClientLayout second;
    OwnedUserKey secondEntry(SetupEntryKey(second.data()));
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + second.data()));
    ExpectInstalled();

    const std::string secondQuiet = ReadUserValue(SetupEntryKey(second.data()), "QuietUninstallString");
    EXPECT_PRED2(SamePath, RegisteredCommand(second.data(), " /S"), secondQuiet);
    EXPECT_EQ(0u, RunToEnd(secondQuiet));
    ExpectRemoved(second);
    ExpectInstalled();

    EXPECT_EQ(0u, RunToEnd(QuietUninstall()));
    ExpectRemoved(layout_);
}

// A copy of a data folder (a backup, a second profile) names the first folder's entry:
// uninstalling the copy leaves that entry to the folder that still holds Velmora.
TEST_F(InstallerTest, UninstallingACopiedDataFolderKeepsTheOtherFoldersEntry)
{
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    ScratchDir copy;
    for (const char* name : {"velmora.dll", "velmora.txt", "velmora-uninstall.exe", "velmora-uninstall.ini"})
        ASSERT_TRUE(::CopyFileA(Installed(name).c_str(), copy.File(name).c_str(), FALSE)) << name;

    EXPECT_EQ(0u, RunToEnd(Quoted(copy.File("velmora-uninstall.exe")) + " /S"));

    EXPECT_FALSE(PathExists(copy.File("velmora.dll"))) << "the copy is uninstalled";
    ExpectInstalled();
}

// A file another program holds: the uninstaller says so with its exit code, and the
// entry stays for another try, which then succeeds.
TEST_F(InstallerTest, AnUninstallWhoseDllIsInUseReportsItAndKeepsTheEntry)
{
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    HANDLE inUse = ::CreateFileA(Installed("velmora.dll").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, inUse);
    EXPECT_EQ(kExitNotWritten, RunToEnd(QuietUninstall()));
    ::CloseHandle(inUse);
    EXPECT_TRUE(PathExists(Installed("velmora.dll")));
    EXPECT_PRED2(SamePath, RegisteredCommand(layout_.data(), " /S"), QuietUninstall());

    EXPECT_EQ(0u, RunToEnd(QuietUninstall()));
    ExpectRemoved(layout_);
}

// After the data folder moved, its entry still removes itself, and the uninstaller at the
// new place removes Velmora there and that entry.
TEST_F(InstallerTest, AnEntryOutlivesItsMovedDataFolderAndTheMovedUninstallerRemovesIt)
{
    const std::string moved = layout_.data() + " moved";
    for (bool fromNewPlace : {false, true}) {
        ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
        ASSERT_TRUE(::MoveFileA(layout_.data().c_str(), moved.c_str()));

        EXPECT_EQ(0u, RunToEnd(fromNewPlace ? Quoted(moved + "\\Plugins\\velmora-uninstall.exe") + " /S"
                                            : QuietUninstall()))
            << fromNewPlace;

        EXPECT_EQ(fromNewPlace ? 0u : 4u, ListDirectory(moved + "\\Plugins").size()) << fromNewPlace;
        ExpectRemoved(layout_);
        RemoveTree(moved);
        ::CreateDirectoryA(layout_.data().c_str(), nullptr);
    }
}

} // namespace
