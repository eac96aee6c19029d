// The setup program built with the plug-in, run as users run it: into the mail client's
// default layout found through the client's record of its last start, over an earlier
// install, while the client runs; then its uninstaller, as Add/Remove Programs starts it.
#include <gtest/gtest.h>

#include "host/PluginLoader.h"
#include "plugin/VersionInfoReader.h"
#include "support/ClientLayout.h"
#include "support/DialogSearch.h"
#include "support/ProgramRun.h"
#include "support/TempDirectory.h"
#include "support/TestSupport.h"
#include "support/TestWindow.h"
#include "version.h"

using namespace testing_support;

namespace {

const char* const kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora";
const char* const kSetupCaption = VELMORA_PRODUCT_NAME " " VELMORA_VERSION_DOTTED " Setup";
const char* const kUninstallCaption = VELMORA_PRODUCT_NAME " " VELMORA_VERSION_DOTTED " Uninstall";
const char* const kRemoveSettingsBox = "Also remove my Velmora settings (password and memo pad)";
constexpr DWORD kExitClientRunning = 3;
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
// (the instfiles page, then the finish page) until the wizard is gone.
bool FinishWizard(HWND wizard, int control, const std::string& controlText = "")
{
    return WaitUntil(
        [&] {
            HWND next = ::GetDlgItem(wizard, kNextButton);
            if (::IsWindowEnabled(next) && FindDescendant(wizard, control, controlText) == nullptr)
                ::PostMessageA(next, BM_CLICK, 0, 0);
            return !::IsWindow(wizard);
        },
        30000);
}

class InstallerTest : public ::testing::Test {
protected:
    std::string Installed(const char* name) const { return layout_.DataPlugins() + "\\" + name; }
    std::string Uninstaller() const { return Installed("velmora-uninstall.exe"); }

    // Setup's files in the data folder's Plugins, as built, and its Add/Remove Programs entry.
    void ExpectInstalled() const
    {
        EXPECT_TRUE(ReadFileBytes(BuiltPluginPath()) == ReadFileBytes(Installed("velmora.dll")));
        EXPECT_EQ(ReadFileBytes(ProgramDirectory() + "\\..\\installer\\velmora.txt"),
                  ReadFileBytes(Installed("velmora.txt")));
        EXPECT_TRUE(PathExists(Uninstaller()));
        EXPECT_EQ(VELMORA_PRODUCT_NAME, ReadUserValue(kUninstallKey, "DisplayName"));
        EXPECT_EQ(VELMORA_VERSION_DOTTED, ReadUserValue(kUninstallKey, "DisplayVersion"));
        EXPECT_PRED2(SamePath, Quoted(Uninstaller()), ReadUserValue(kUninstallKey, "UninstallString"));
    }

    OwnedUserKey clientRecord_{ClientLayout::kRecordKey};
    OwnedUserKey uninstallEntry_{kUninstallKey};
    ClientLayout layout_;
    ScratchDir temp_;   // where the uninstaller runs its copy from
    TempDirectoryOverride tempOverride_{temp_.path()};
};

TEST_F(InstallerTest, CarriesThePluginsProductNameAndVersion)
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

    // No record of the client here: the data folder is named on the command line.
    EXPECT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    ExpectInstalled();
    EXPECT_EQ(kUserSettings, ReadFileBytes(Installed("velmora.ini")));

    const std::string quiet = ReadUserValue(kUninstallKey, "QuietUninstallString");
    EXPECT_PRED2(SamePath, Quoted(Uninstaller()) + " /S", quiet);
    EXPECT_EQ(0u, RunToEnd(quiet));

    EXPECT_EQ(std::vector<std::string>{"velmora.ini"}, ListDirectory(layout_.DataPlugins()));
    EXPECT_EQ(kUserSettings, ReadFileBytes(Installed("velmora.ini")));
    EXPECT_FALSE(UserKeyExists(kUninstallKey));
}

TEST_F(InstallerTest, RefusesSilentlyWhileTheClientRuns)
{
    layout_.RecordStart();
    WriteFileBytes(layout_.ProgramPlugins() + "\\velmora.dll", "copied by hand");
    TestWindow client(kHostMainWindowClass, "Eudora");

    EXPECT_EQ(kExitClientRunning, RunToEnd(Quoted(kSetup) + " /S"));

    EXPECT_FALSE(PathExists(layout_.DataPlugins()));
    EXPECT_EQ("copied by hand", ReadFileBytes(layout_.ProgramPlugins() + "\\velmora.dll"));
    EXPECT_FALSE(UserKeyExists(kUninstallKey));
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

TEST_F(InstallerTest, UninstallerRemovesTheSettingsOnlyWhenTheUserTicksTheBox)
{
    ASSERT_EQ(0u, RunToEnd(Quoted(kSetup) + " /S /D=" + layout_.data()));
    WriteFileBytes(Installed("velmora.ini"), kUserSettings);
    WriteFileBytes(Installed("esp.dll"), "another plug-in");

    ProgramRun uninstall(ReadUserValue(kUninstallKey, "UninstallString"));
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
    EXPECT_FALSE(UserKeyExists(kUninstallKey));
}

} // namespace
