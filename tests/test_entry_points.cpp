// The seven entry points of the real velmora.dll, called the way a host calls them,
// with records pre-filled with sentinels and larger than the plug-in's fields so that a
// write to a field the plug-in must not touch shows.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

#include "support/PluginLibrary.h"
#include "support/SentinelRecord.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

const char* const kShippedDescription = "Velmora for Eudora, Version: 2.0.0.1";

class EntryPointsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Loaded from a folder of its own: the config directory holds no velmora.dll
        // unless a test puts one there.
        CopyPluginInto(pluginDir_.path());
        plugin_ = std::make_unique<PluginLibrary>(pluginDir_.path());
        ASSERT_TRUE(plugin_->loaded());
    }
    void TearDown() override { plugin_.reset(); }

    // Initialises with a mail-config record naming `directory` (the scratch folder by
    // default). Returns the info record.
    Record Init(int32_t hostVersion, const std::string* directory = nullptr)
    {
        directoryText_ = directory ? *directory : dir_.path();
        Record config;
        config.set(8, static_cast<int32_t>(reinterpret_cast<intptr_t>(directoryText_.c_str())));
        Record info;
        EXPECT_EQ(0, plugin_->init(nullptr, hostVersion, config.data(), info.data()));
        return info;
    }
    Record Item(int32_t id, int32_t* result = nullptr)
    {
        Record item;
        item.set(4, id);
        const int32_t r = plugin_->specialInfo(nullptr, item.data());
        if (result) *result = r;
        return item;
    }

    ScratchDir pluginDir_;
    ScratchDir dir_;
    std::unique_ptr<PluginLibrary> plugin_;
    std::string directoryText_;
};

TEST_F(EntryPointsTest, VersionIsFourAndNullIsRefusedWithoutACrash)
{
    short version = 77;
    EXPECT_EQ(0, plugin_->version(&version));
    EXPECT_EQ(4, version);
    EXPECT_EQ(1, plugin_->version(nullptr));
}

TEST_F(EntryPointsTest, InitWritesExactlyItsFieldsForAnOlderHost)
{
    const Record info = Init(3);
    EXPECT_EQ(kSentinel, info.at(0));
    EXPECT_EQ(0, info.at(4));
    EXPECT_EQ(0, info.at(8));
    EXPECT_EQ(2, info.at(12));
    EXPECT_EQ(4398, info.at(20));
    for (int offset = 28; offset < kWords * 4; offset += 4)
        EXPECT_EQ(kSentinel, info.at(offset)) << "offset " << offset;

    HICON* holder = info.ptr<HICON*>(24);
    ASSERT_NE(nullptr, holder);
    const SIZE size = IconSize(*holder);
    EXPECT_EQ(32, size.cx);
    EXPECT_EQ(32, size.cy);

    char* description = info.ptr<char*>(16);
    ASSERT_NE(nullptr, description);
    EXPECT_STREQ(kShippedDescription, description)
        << "no velmora.dll in the config directory: the loaded file has the strings";
    EXPECT_EQ(0, plugin_->release(description));
    EXPECT_EQ(0, plugin_->release(holder));
    EXPECT_EQ(0, plugin_->finish(nullptr));
}

TEST_F(EntryPointsTest, DescriptionComesFromTheConfigDirectorysVelmoraDllElseFromTheLoadedFile)
{
    // The client names its data folder's Plugins while users copy plug-ins into its
    // program folder's: a velmora.dll with a version resource in the config directory
    // wins; without one the file actually loaded gives the strings.
    struct Case {
        const char* name;
        const char* library;   // built beside the tests; copied into the config directory
        const char* as;
        const char* description;
    } cases[] = {
        {"another version resource", "version_de.dll", "velmora.dll", "Testprodukt, Version: 10.20.30.40"},
        {"a velmora.dll without one", "no_resources.dll", "velmora.dll", kShippedDescription},
        {"the plug-in under another name", "velmora.dll", "velmora2.dll", kShippedDescription},
        {"nothing", nullptr, nullptr, kShippedDescription},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir config;
        if (c.library != nullptr) {
            ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\" + c.library).c_str(),
                                    config.File(c.as).c_str(), FALSE));
        }
        const std::string directory = config.path();
        const Record info = Init(6, &directory);
        EXPECT_STREQ(c.description, info.ptr<char*>(16));
        plugin_->release(info.ptr<char*>(16));
        plugin_->release(info.ptr<HICON*>(24));
        plugin_->finish(nullptr);
        plugin_ = std::make_unique<PluginLibrary>(pluginDir_.path());
        ASSERT_TRUE(plugin_->loaded());
    }
}

TEST_F(EntryPointsTest, MissingConfigDirectoryIsCreatedButNotItsParents)
{
    const std::string data = dir_.File("Data");
    ASSERT_TRUE(::CreateDirectoryA(data.c_str(), nullptr));
    const std::string plugins = data + "\\Plugins";
    const std::string deeper = dir_.File("Gone\\Plugins");
    for (const std::string* directory : {&plugins, &deeper}) {
        const Record info = Init(6, directory);
        plugin_->release(info.ptr<char*>(16));
        plugin_->release(info.ptr<HICON*>(24));
        plugin_->finish(nullptr);
    }
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(plugins + "\\velmora.ini"))
        << "the first-run file is written into the folder made for it";
    EXPECT_FALSE(PathExists(dir_.File("Gone"))) << "parents are the client's business";
}

TEST_F(EntryPointsTest, MenuItemsForAnOlderHostCarryTextOnly)
{
    Init(3);
    int32_t result = -1;
    const Record first = Item(1, &result);
    EXPECT_EQ(0, result);
    EXPECT_STREQ("Activate Velmora", first.ptr<char*>(8));
    EXPECT_EQ(kSentinel, first.at(0));
    EXPECT_EQ(kSentinel, first.at(12));
    EXPECT_EQ(kSentinel, first.at(16));
    for (int offset = 20; offset < kWords * 4; offset += 4)
        EXPECT_EQ(kSentinel, first.at(offset));
    plugin_->release(first.ptr<char*>(8));
}

TEST_F(EntryPointsTest, MenuItemsForANewerHostCarryIconsAndTheFlag)
{
    Init(4);
    struct Expected { int32_t id; const char* text; } items[] = {
        {1, "Activate Velmora"}, {2, "Activate Screen Saver"}};
    for (const Expected& e : items) {
        int32_t result = -1;
        const Record item = Item(e.id, &result);
        EXPECT_EQ(0, result);
        EXPECT_STREQ(e.text, item.ptr<char*>(8));
        EXPECT_EQ(0x8000, item.at(16));
        HICON* holder = item.ptr<HICON*>(12);
        ASSERT_NE(nullptr, holder);
        const SIZE size = IconSize(*holder);
        EXPECT_EQ(16, size.cx);
        EXPECT_EQ(16, size.cy);
        EXPECT_EQ(kSentinel, item.at(0));
        EXPECT_EQ(kSentinel, item.at(20));
        plugin_->release(item.ptr<char*>(8));
        plugin_->release(holder);
    }
}

TEST_F(EntryPointsTest, TheTwoItemsHaveDifferentIcons)
{
    Init(6);
    const Record one = Item(1);
    const Record two = Item(2);
    ICONINFO a{}, b{};
    ASSERT_TRUE(::GetIconInfo(*one.ptr<HICON*>(12), &a));
    ASSERT_TRUE(::GetIconInfo(*two.ptr<HICON*>(12), &b));
    BYTE bitsA[16 * 16 * 4] = {}, bitsB[16 * 16 * 4] = {};
    ::GetBitmapBits(a.hbmColor, sizeof bitsA, bitsA);
    ::GetBitmapBits(b.hbmColor, sizeof bitsB, bitsB);
    EXPECT_NE(0, std::memcmp(bitsA, bitsB, sizeof bitsA));
}

TEST_F(EntryPointsTest, HostVersionIsCutToSixteenSignedBits)
{
    Init(0xFFFF); // -1: an older host
    Record item = Item(1);
    EXPECT_EQ(kSentinel, item.at(12));
    EXPECT_EQ(kSentinel, item.at(16));
    plugin_->Unload();

    plugin_ = std::make_unique<PluginLibrary>(pluginDir_.path());
    Init(0x10004); // the low 16 bits are 4: a newer host
    item = Item(1);
    EXPECT_EQ(0x8000, item.at(16));
}

TEST_F(EntryPointsTest, UnknownItemsAreRefusedAndTheRecordIsUntouched)
{
    Init(6);
    for (int32_t id : {0, -1, 3, 7, INT_MIN, INT_MAX}) {
        int32_t result = -1;
        const Record item = Item(id, &result);
        EXPECT_EQ(3, result) << "id " << id;
        const Record pristine;
        for (int offset = 0; offset < kWords * 4; offset += 4)
            if (offset != 4) {
                EXPECT_EQ(pristine.at(offset), item.at(offset)) << "id " << id << " offset " << offset;
            }
    }
    EXPECT_EQ(1, plugin_->specialInfo(nullptr, nullptr));
}

TEST_F(EntryPointsTest, NullInfoRecordDoesNothingAtAll)
{
    Record config;
    config.set(8, static_cast<int32_t>(reinterpret_cast<intptr_t>(dir_.path().c_str())));
    EXPECT_EQ(0, plugin_->init(nullptr, 6, config.data(), nullptr));
    EXPECT_FALSE(PathExists(dir_.File("velmora.ini"))) << "no settings file without init";
    // The host version was never taken, so the item comes without icon or flag.
    const Record item = Item(1);
    EXPECT_STREQ("Activate Velmora", item.ptr<char*>(8));
    EXPECT_EQ(kSentinel, item.at(12));
    EXPECT_EQ(kSentinel, item.at(16));
}

TEST_F(EntryPointsTest, NullMailConfigCountsAsAnEmptyDirectory)
{
    // The settings path is then "\velmora.ini", in the root of the current drive.
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(dir_.path().c_str()));
    const std::string rootFile = dir_.path().substr(0, 2) + "\\velmora.ini";
    const bool existed = PathExists(rootFile);
    Record info;
    EXPECT_EQ(0, plugin_->init(nullptr, 6, nullptr, info.data()));
    EXPECT_STREQ(kShippedDescription, info.ptr<char*>(16));
    plugin_->finish(nullptr);
    if (!existed)
        ::DeleteFileA(rootFile.c_str());
    ::SetCurrentDirectoryA(previous);
}

TEST_F(EntryPointsTest, NullDirectoryPointerCountsAsAnEmptyDirectory)
{
    Record config;
    config.set(8, 0);
    Record info;
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ::SetCurrentDirectoryA(dir_.path().c_str());
    const std::string rootFile = dir_.path().substr(0, 2) + "\\velmora.ini";
    const bool existed = PathExists(rootFile);
    EXPECT_EQ(0, plugin_->init(nullptr, 6, config.data(), info.data()));
    EXPECT_EQ(2, info.at(12));
    plugin_->finish(nullptr);
    if (!existed)
        ::DeleteFileA(rootFile.c_str());
    ::SetCurrentDirectoryA(previous);
}

TEST_F(EntryPointsTest, InitCreatesTheFirstSettingsFileAndHoldsItUntilFinish)
{
    Init(6);
    const std::string ini = dir_.File("velmora.ini");
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(ini));
    EXPECT_FALSE(::DeleteFileA(ini.c_str())) << "held open while the plug-in runs";
    EXPECT_EQ(0, plugin_->finish(nullptr));
    EXPECT_EQ(0, plugin_->finish(nullptr)) << "a second finish is harmless";
    EXPECT_TRUE(::DeleteFileA(ini.c_str()));
}

TEST_F(EntryPointsTest, UnloadWithoutFinishStillReleasesTheSettingsFile)
{
    Init(6);
    plugin_->Unload();
    EXPECT_TRUE(::DeleteFileA(dir_.File("velmora.ini").c_str()));
}

TEST_F(EntryPointsTest, ExistingSettingsFileIsLeftByteForByte)
{
    const std::string existing = "[Settings]\r\nPassword=\"^Y\"\r\nStretch=1\r\n\r\n; note\r\n";
    WriteFileBytes(dir_.File("velmora.ini"), existing);
    Init(6);
    plugin_->finish(nullptr);
    EXPECT_EQ(existing, ReadFileBytes(dir_.File("velmora.ini")));
}

TEST_F(EntryPointsTest, FinishWithoutInitAndFreeOfNullAreHarmless)
{
    EXPECT_EQ(0, plugin_->finish(nullptr));
    EXPECT_EQ(0, plugin_->release(nullptr));
}

TEST_F(EntryPointsTest, HookRefusesANullRecordAndIgnoresUnknownItems)
{
    Init(6);
    EXPECT_EQ(1, plugin_->specialHook(nullptr, nullptr));
    Record item;
    item.set(4, 7);
    EXPECT_EQ(0, plugin_->specialHook(nullptr, item.data()));
    const Record pristine;
    for (int offset = 0; offset < kWords * 4; offset += 4)
        if (offset != 4) {
            EXPECT_EQ(pristine.at(offset), item.at(offset));
        }
}

TEST_F(EntryPointsTest, HandedOverBlocksComeFromTheProcessHeap)
{
    const Record info = Init(6);
    const Record item = Item(1);
    for (void* block : {info.ptr<void*>(16), info.ptr<void*>(24), item.ptr<void*>(8), item.ptr<void*>(12)}) {
        ASSERT_NE(nullptr, block);
        EXPECT_TRUE(::HeapValidate(::GetProcessHeap(), 0, block));
        EXPECT_EQ(0, plugin_->release(block));
    }
}

} // namespace
