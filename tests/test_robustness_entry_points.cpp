// The real velmora.dll's entry points with bad and extreme inputs: every host version
// and menu id at the edges of their ranges, bogus host values, odd directories, and
// long random call sequences checked against a model of what each call may write.
// Records are sentinel-filled and larger than the plug-in's fields.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "resource.h"
#include "tools/dialogsearch/DialogSearch.h"
#include "support/PluginLibrary.h"
#include "support/SentinelRecord.h"
#include "support/Seeds.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// Never read by the plug-in; an address nothing lives at.
void* const kBogusHostValue = reinterpret_cast<void*>(static_cast<intptr_t>(0xFFFFFFF0));


// Every word other than those at `written` still holds the sentinel (offset 4, the id
// the test put there, counts as written).
::testing::AssertionResult OnlyWritten(const Record& record, std::initializer_list<int> written)
{
    for (int offset = 0; offset < kWords * 4; offset += 4) {
        bool allowed = false;
        for (int w : written)
            allowed = allowed || w == offset;
        if (!allowed && record.at(offset) != kSentinel)
            return ::testing::AssertionFailure() << "offset " << offset << " was written";
    }
    return ::testing::AssertionSuccess();
}

// Menu ids that are not the plug-in's, across the 32-bit range.
constexpr int32_t kForeignIds[] = {INT_MIN, -1, 0, 3, 7, INT_MAX};
// Host versions as the host passes them; only the low 16 bits count, signed.
constexpr int32_t kHostVersions[] = {0, 3, 4, 6, 0x7FFF, 0x8000, 0xFFFF,
                                     -1, INT_MIN, INT_MAX, 0x10004, 0x7FFF0003};

bool CountsAsNewerHost(int32_t version)
{
    return static_cast<int16_t>(version & 0xFFFF) > 3;
}

const char* MenuText(int32_t id)
{
    return id == 1 ? "Activate Velmora" : "Activate Screen Saver";
}

class RobustEntryPoints : public ::testing::Test {
protected:
    // The host's plug-in folder doubles as its configuration directory.
    void SetUp() override { CopyPluginInto(dir_.path()); }
    void Load()
    {
        plugin_ = std::make_unique<PluginLibrary>(dir_.path());
        ASSERT_TRUE(plugin_->loaded());
    }
    int32_t Init(int32_t version, Record& info, const char* directory)
    {
        Record config;
        config.set(8, static_cast<int32_t>(reinterpret_cast<intptr_t>(directory)));
        return plugin_->init(kBogusHostValue, version, config.data(), info.data());
    }
    void ExpectInitRecord(const Record& info, const char* description)
    {
        EXPECT_TRUE(OnlyWritten(info, {4, 8, 12, 16, 20, 24}));
        EXPECT_EQ(0, info.at(4));
        EXPECT_EQ(0, info.at(8));
        EXPECT_EQ(2, info.at(12));
        EXPECT_EQ(4398, info.at(20));
        ASSERT_NE(nullptr, info.ptr<char*>(16));
        EXPECT_STREQ(description, info.ptr<char*>(16));
        ASSERT_NE(nullptr, info.ptr<HICON*>(24));
        EXPECT_NE(nullptr, *info.ptr<HICON*>(24));
        plugin_->release(info.ptr<void*>(16));
        plugin_->release(info.ptr<void*>(24));
    }

    ScratchDir dir_;
    std::unique_ptr<PluginLibrary> plugin_;
};

TEST_F(RobustEntryPoints, EveryHostVersionAndEveryForeignIdGetTheirSpecifiedResults)
{
    for (int32_t version : kHostVersions) {
        SCOPED_TRACE("host version " + std::to_string(version));
        Load();
        Record info;
        ASSERT_EQ(0, Init(version, info, dir_.path().c_str()));
        ExpectInitRecord(info, "Velmora for Eudora, Version: 2.0.0.1");

        for (int32_t id : {1, 2}) {
            Record item;
            item.set(4, id);
            ASSERT_EQ(0, plugin_->specialInfo(kBogusHostValue, item.data())) << "id " << id;
            EXPECT_STREQ(MenuText(id), item.ptr<char*>(8));
            if (CountsAsNewerHost(version)) {
                EXPECT_TRUE(OnlyWritten(item, {4, 8, 12, 16}));
                EXPECT_EQ(0x8000, item.at(16));
                ASSERT_NE(nullptr, item.ptr<HICON*>(12));
                EXPECT_NE(nullptr, *item.ptr<HICON*>(12));
                plugin_->release(item.ptr<void*>(12));
            } else {
                EXPECT_TRUE(OnlyWritten(item, {4, 8})) << "an older host gets no icon or flag";
            }
            plugin_->release(item.ptr<void*>(8));
        }
        for (int32_t id : kForeignIds) {
            Record item;
            item.set(4, id);
            EXPECT_EQ(3, plugin_->specialInfo(kBogusHostValue, item.data())) << "id " << id;
            EXPECT_TRUE(OnlyWritten(item, {4})) << "id " << id;
            Record hook;
            hook.set(4, id);
            EXPECT_EQ(0, plugin_->specialHook(kBogusHostValue, hook.data())) << "id " << id;
            EXPECT_TRUE(OnlyWritten(hook, {4})) << "id " << id;
        }
        EXPECT_EQ(0, plugin_->finish(kBogusHostValue));
        EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(dir_.File("velmora.ini")));
        plugin_.reset();
        ASSERT_TRUE(::DeleteFileA(dir_.File("velmora.ini").c_str())) << "released at finish";
    }
}

TEST_F(RobustEntryPoints, NullRecordsAndBogusHostValuesNeitherCrashNorWrite)
{
    Load();
    EXPECT_EQ(0, plugin_->init(kBogusHostValue, 6, nullptr, nullptr));
    EXPECT_EQ(0, plugin_->init(nullptr, 0xFFFF, kBogusHostValue, nullptr)) << "no info record: nothing read";
    EXPECT_FALSE(PathExists(dir_.File("velmora.ini")));
    EXPECT_EQ(1, plugin_->specialInfo(kBogusHostValue, nullptr));
    EXPECT_EQ(1, plugin_->specialHook(kBogusHostValue, nullptr));
    EXPECT_EQ(1, plugin_->version(nullptr));
    EXPECT_EQ(0, plugin_->release(nullptr));
    EXPECT_EQ(0, plugin_->finish(kBogusHostValue));
    EXPECT_EQ(0, plugin_->finish(nullptr));

    // Still usable afterwards, as an older host (the version was never taken).
    Record item;
    item.set(4, 1);
    EXPECT_EQ(0, plugin_->specialInfo(nullptr, item.data()));
    EXPECT_TRUE(OnlyWritten(item, {4, 8}));
    plugin_->release(item.ptr<void*>(8));
}

// The entry points that run dialogs read neither host value: bogus ones change nothing.
TEST_F(RobustEntryPoints, DialogEntryPointsNeverReadTheirHostValues)
{
    Load();
    Record info;
    ASSERT_EQ(0, Init(6, info, dir_.path().c_str()));
    plugin_->release(info.ptr<void*>(16));
    plugin_->release(info.ptr<void*>(24));
    const std::string before = ReadFileBytes(dir_.File("velmora.ini"));

    int32_t result = -1;
    RunWithDriver([&] { return result = plugin_->config(kBogusHostValue, kBogusHostValue); },
                  [](DWORD ui) {
                      HWND settings = WaitForDialogWithControl(ui, IDC_SET_APPLY);
                      ASSERT_NE(nullptr, settings);
                      PostClick(settings, IDC_SET_CANCEL);
                  });
    EXPECT_EQ(0, result);

    Record item;
    item.set(4, 1);
    result = -1;
    RunWithDriver([&] { return result = plugin_->specialHook(kBogusHostValue, item.data()); },
                  [](DWORD ui) {
                      HWND cover = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                      ASSERT_NE(nullptr, cover);
                      PostClick(cover, IDC_COVER_UNLOCK); // the stored password is empty
                  });
    EXPECT_EQ(0, result);
    EXPECT_TRUE(OnlyWritten(item, {4}));
    EXPECT_EQ(0, plugin_->finish(kBogusHostValue));
    // The unlock left the untouched memo pad alone; nothing changed.
    EXPECT_EQ(before, ReadFileBytes(dir_.File("velmora.ini")));
}

TEST_F(RobustEntryPoints, OddConfigurationDirectoriesStillInitialiseAndWriteNothingElsewhere)
{
    // Relative names start here; nothing may land here.
    ScratchDir current;
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryA(current.path().c_str()));
    ScratchDir other;
    WriteFileBytes(other.File("plain.txt"), "not a directory");
    const std::string veryLong = other.path() + "\\" + std::string(5000, 'd');
    const std::string huge(40000, 'x');
    const std::string missing = other.File("missing\\deeper");
    const std::string trailing = other.path() + "\\";
    const std::string highBytes = other.File("Ordner \xE4\xF6\xFC \xE9");
    ASSERT_TRUE(::CreateDirectoryA(highBytes.c_str(), nullptr));

    // A relative 40000-character name and a 5000-character folder exceed every path
    // limit; the others are a folder that is not there, a file, a trailing backslash
    // and a name with bytes above 127.
    for (const std::string& directory :
         {veryLong, huge, missing, other.File("plain.txt"), trailing, highBytes}) {
        SCOPED_TRACE(directory.substr(0, 120));
        Load();
        Record info;
        ASSERT_EQ(0, Init(6, info, directory.c_str()));
        ExpectInitRecord(info, "Velmora for Eudora, Version: 2.0.0.1");
        EXPECT_EQ(0, plugin_->finish(nullptr));
        plugin_.reset();
    }
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(other.File("velmora.ini")))
        << "a trailing backslash still names the folder";
    EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(highBytes + "\\velmora.ini"));
    EXPECT_FALSE(PathExists(other.File("missing"))) << "a missing folder is not created";
    EXPECT_EQ("not a directory", ReadFileBytes(other.File("plain.txt")));
    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(::RemoveDirectoryA(current.path().c_str())) << "the current folder stayed empty";
    // Beside the long folder's parent: the plain file, the high-byte folder, the
    // first-run file of the trailing-backslash case, nothing else.
    int entries = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((other.path() + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
            ++entries;
    ::FindClose(search);
    EXPECT_EQ(3, entries);
}

// A host that calls the entry points in any order, any number of times: each call's
// result and writes follow the plug-in's rules, every handed-over block is a live
// heap block until it comes back, and no call writes the settings file.
TEST_F(RobustEntryPoints, RandomCallSequencesKeepToTheRules)
{
    const uint32_t base = RunSeed(20261207);
    for (uint32_t round = 0; round < 4; ++round) {
        const uint32_t seed = base + round;
        SCOPED_TRACE(SeedNote(seed));
        Random random(seed);
        Load();
        std::vector<void*> handed;
        bool initialised = false;
        bool newer = false; // what the last init made of the host version

        for (int step = 0; step < 250; ++step) {
            SCOPED_TRACE("step " + std::to_string(step));
            switch (random.Below(6)) {
            case 0: {
                const int32_t version = random.OneIn(2) ? random.Pick(kHostVersions)
                                                         : static_cast<int32_t>(random.Bits());
                Record info;
                if (random.OneIn(8)) {
                    ASSERT_EQ(0, plugin_->init(nullptr, version, nullptr, nullptr));
                    break;
                }
                ASSERT_EQ(0, Init(version, info, dir_.path().c_str()));
                ASSERT_TRUE(OnlyWritten(info, {4, 8, 12, 16, 20, 24}));
                ASSERT_EQ(2, info.at(12));
                handed.push_back(info.ptr<void*>(16));
                handed.push_back(info.ptr<void*>(24));
                initialised = true;
                newer = CountsAsNewerHost(version);
                break;
            }
            case 1: {
                // Random ids get bit 2 set, so they are never 1 or 2.
                const bool own = random.OneIn(2);
                const int32_t id = own ? static_cast<int32_t>(1 + random.Below(2))
                                       : (random.OneIn(2) ? random.Pick(kForeignIds)
                                                          : static_cast<int32_t>(random.Bits() | 4));
                Record item;
                item.set(4, id);
                const int32_t result = plugin_->specialInfo(nullptr, item.data());
                if (id != 1 && id != 2) {
                    ASSERT_EQ(3, result);
                    ASSERT_TRUE(OnlyWritten(item, {4}));
                    break;
                }
                ASSERT_EQ(0, result);
                ASSERT_STREQ(MenuText(id), item.ptr<char*>(8));
                handed.push_back(item.ptr<void*>(8));
                if (initialised && newer) {
                    ASSERT_TRUE(OnlyWritten(item, {4, 8, 12, 16}));
                    handed.push_back(item.ptr<void*>(12));
                } else {
                    ASSERT_TRUE(OnlyWritten(item, {4, 8}));
                }
                break;
            }
            case 2: {
                // Ids that run nothing: 1 opens dialogs, 2 starts the screen saver.
                Record item;
                item.set(4, random.OneIn(2) ? random.Pick(kForeignIds)
                                            : static_cast<int32_t>(random.Bits() | 4));
                ASSERT_EQ(0, plugin_->specialHook(nullptr, item.data()));
                ASSERT_TRUE(OnlyWritten(item, {4}));
                break;
            }
            case 3:
                if (!handed.empty()) {
                    const size_t i = random.Below(static_cast<uint32_t>(handed.size()));
                    ASSERT_TRUE(::HeapValidate(::GetProcessHeap(), 0, handed[i]));
                    ASSERT_EQ(0, plugin_->release(handed[i]));
                    handed.erase(handed.begin() + static_cast<std::ptrdiff_t>(i));
                } else {
                    ASSERT_EQ(0, plugin_->release(nullptr));
                }
                break;
            case 4:
                ASSERT_EQ(0, plugin_->finish(nullptr));
                break;
            default: {
                short version = 0;
                ASSERT_EQ(0, plugin_->version(&version));
                ASSERT_EQ(4, version);
                break;
            }
            }
        }
        for (void* block : handed) {
            ASSERT_TRUE(::HeapValidate(::GetProcessHeap(), 0, block));
            plugin_->release(block);
        }
        plugin_->finish(nullptr);
        plugin_.reset();
        if (initialised) {
            EXPECT_EQ("[Settings]\r\nPassword=\r\n", ReadFileBytes(dir_.File("velmora.ini")));
            EXPECT_TRUE(::DeleteFileA(dir_.File("velmora.ini").c_str())) << "released";
        }
    }
}

} // namespace
