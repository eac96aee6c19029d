// The animated cursor loader: its copy passes, the temporary file it writes and removes,
// and what it does when no temporary file can be made.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config_ui/AnimatedCursorLoader.h"
#include "framework/Module.h"
#include "resource.h"
#include "support/TempDirectory.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

// ---- pass plan -----------------------------------------------------------------

struct PlanCase {
    size_t length;
    std::vector<size_t> passes;
};

class CopyPassPlanTest : public ::testing::TestWithParam<PlanCase> {};

TEST_P(CopyPassPlanTest, GivesFullPassesThenOneShorter)
{
    EXPECT_EQ(GetParam().passes, CopyPassPlan(GetParam().length));
}

INSTANTIATE_TEST_SUITE_P(Lengths, CopyPassPlanTest,
                         ::testing::Values(PlanCase{10234, {4096, 4096, 2042}},
                                           PlanCase{8192, {4096, 4096, 0}},
                                           PlanCase{4095, {4095}},
                                           PlanCase{4096, {4096, 0}},
                                           PlanCase{4097, {4096, 1}},
                                           PlanCase{1, {1}},
                                           PlanCase{0, {0}}));

TEST(CopyPassPlan, CoversEveryLengthExactlyOnce)
{
    for (size_t length = 0; length <= 3 * 4096 + 7; ++length) {
        const std::vector<size_t> plan = CopyPassPlan(length);
        ASSERT_FALSE(plan.empty());
        size_t total = 0;
        for (size_t i = 0; i + 1 < plan.size(); ++i) {
            ASSERT_EQ(4096u, plan[i]) << "length " << length;
            total += plan[i];
        }
        ASSERT_LT(plan.back(), 4096u) << "length " << length;
        ASSERT_EQ(length, total + plan.back());
    }
}

// ---- the loader ----------------------------------------------------------------

std::string AnimatedCursorResource(int number)
{
    HRSRC resource = ::FindResourceA(ModuleInstance(), MAKEINTRESOURCEA(number), RT_ANICURSORS_NAME);
    if (resource == nullptr)
        return {};
    const void* data = ::LockResource(::LoadResource(ModuleInstance(), resource));
    return std::string(static_cast<const char*>(data), ::SizeofResource(ModuleInstance(), resource));
}

// What the loader's temporary files looked like just before each cursor load.
struct SeenFiles {
    std::vector<std::string> paths;
    std::vector<std::string> contents;
};

void RecordFile(const char* path, void* context) noexcept
{
    auto* seen = static_cast<SeenFiles*>(context);
    seen->paths.push_back(path);
    seen->contents.push_back(ReadFileBytes(path));
}

std::string FileName(const std::string& path)
{
    return path.substr(path.find_last_of('\\') + 1);
}

using GetCursorFrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

GetCursorFrameInfoFn CursorFrameInfo()
{
    return reinterpret_cast<GetCursorFrameInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
}

// Each test points the temporary directory at a scratch folder of its own, so the
// folder's listing shows exactly what the loader left there.
class AnimatedCursorLoaderTest : public ::testing::Test {
protected:
    ScratchDir temp_;
    TempDirectoryOverride useTemp_{temp_.path()};
};

TEST_F(AnimatedCursorLoaderTest, CopiesTheResourceIntoAFreshFileAndRemovesIt)
{
    const std::string resource = AnimatedCursorResource(IDR_SHAPES_CURSOR);
    ASSERT_EQ(10234u, resource.size());
    ASSERT_EQ("RIFF", resource.substr(0, 4));
    ASSERT_EQ("ACON", resource.substr(8, 4));

    SeenFiles seen;
    UniqueCursor cursor(AnimatedCursorLoader(IDR_SHAPES_CURSOR, &RecordFile, &seen));
    ASSERT_NE(nullptr, cursor.get());
    ASSERT_EQ(1u, seen.paths.size());
    EXPECT_TRUE(seen.contents[0] == resource) << "the file must equal the resource byte for byte ("
                                              << seen.contents[0].size() << " bytes written)";
    EXPECT_EQ(0u, seen.paths[0].rfind(CurrentTempDirectory(), 0)) << seen.paths[0];
    const std::string name = FileName(seen.paths[0]);
    EXPECT_EQ('_', name.front()) << name;
    EXPECT_EQ(".tmp", name.substr(name.size() - 4)) << name;
    EXPECT_FALSE(PathExists(seen.paths[0]));
    EXPECT_TRUE(ListDirectory(temp_.path()).empty());
}

TEST_F(AnimatedCursorLoaderTest, LoadsTheShapesAnimation)
{
    UniqueCursor cursor(AnimatedCursorLoader(IDR_SHAPES_CURSOR));
    ASSERT_NE(nullptr, cursor.get());

    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(cursor.get(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(0u, info.xHotspot);
    EXPECT_EQ(0u, info.yHotspot);
    BITMAP mask{};
    ASSERT_TRUE(::GetObjectA(info.hbmMask, sizeof mask, &mask));
    EXPECT_EQ(32, mask.bmWidth);
    ::DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);

    const GetCursorFrameInfoFn frameInfo = CursorFrameInfo();
    ASSERT_NE(nullptr, frameInfo);
    const struct {
        DWORD step;
        DWORD rate;
    } steps[] = {{0, 900}, {1, 5}, {2, 5}, {3, 10}, {12, 10}};
    for (const auto& s : steps) {
        DWORD rate = 0;
        DWORD count = 0;
        EXPECT_NE(nullptr, frameInfo(cursor.get(), 0, s.step, &rate, &count)) << "step " << s.step;
        EXPECT_EQ(13u, count);
        EXPECT_EQ(s.rate, rate) << "step " << s.step;
    }
}

struct NumberCase {
    int number;
    bool hasCursor;
};

class ResourceNumberTest : public AnimatedCursorLoaderTest,
                           public ::testing::WithParamInterface<NumberCase> {};

// Only the low 16 bits name the resource; a missing one still leaves no file.
TEST_P(ResourceNumberTest, UsesTheLow16BitsAndLeavesNoFile)
{
    SeenFiles seen;
    UniqueCursor cursor(AnimatedCursorLoader(GetParam().number, &RecordFile, &seen));
    EXPECT_EQ(GetParam().hasCursor, cursor.get() != nullptr);
    ASSERT_EQ(1u, seen.paths.size());
    if (!GetParam().hasCursor) {
        EXPECT_EQ("", seen.contents[0]) << "nothing to copy from a missing resource";
    }
    EXPECT_FALSE(PathExists(seen.paths[0]));
    EXPECT_TRUE(ListDirectory(temp_.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Numbers, ResourceNumberTest,
                         ::testing::Values(NumberCase{IDR_SHAPES_CURSOR, true},
                                           NumberCase{0x10000 | IDR_SHAPES_CURSOR, true},
                                           NumberCase{static_cast<int>(0xFFFF0000u | IDR_SHAPES_CURSOR), true},
                                           NumberCase{IDR_SHAPES_CURSOR + 1, false},
                                           NumberCase{IDI_VELMORA, false},
                                           NumberCase{0x10000, false}));

TEST_F(AnimatedCursorLoaderTest, EveryCallMakesAndRemovesItsOwnFile)
{
    SeenFiles seen;
    UniqueCursor first(AnimatedCursorLoader(IDR_SHAPES_CURSOR, &RecordFile, &seen));
    UniqueCursor second(AnimatedCursorLoader(IDR_SHAPES_CURSOR, &RecordFile, &seen));
    ASSERT_NE(nullptr, first.get());
    ASSERT_NE(nullptr, second.get());
    EXPECT_NE(first.get(), second.get());
    ASSERT_EQ(2u, seen.paths.size());
    EXPECT_EQ(seen.contents[0], seen.contents[1]) << "the second call starts from an empty file";
    EXPECT_TRUE(ListDirectory(temp_.path()).empty());
}

TEST(AnimatedCursorLoaderSystemTemp, LeavesNoFileOfItsCallsInTheTemporaryDirectory)
{
    const std::string temp = CurrentTempDirectory();
    ASSERT_FALSE(temp.empty());
    const std::vector<std::string> before = ListDirectory(temp, "_*.tmp");
    SeenFiles seen;
    UniqueCursor found(AnimatedCursorLoader(IDR_SHAPES_CURSOR, &RecordFile, &seen));
    UniqueCursor missing(AnimatedCursorLoader(IDR_SHAPES_CURSOR + 1, &RecordFile, &seen));
    EXPECT_NE(nullptr, found.get());
    EXPECT_EQ(nullptr, missing.get());
    ASSERT_EQ(2u, seen.paths.size());
    for (const std::string& path : seen.paths)
        EXPECT_FALSE(PathExists(path)) << path;
    EXPECT_EQ(before, ListDirectory(temp, "_*.tmp"));
}

// ---- no temporary file possible -------------------------------------------------

struct UnusableTemp {
    const char* what;
    std::string (*directory)(const ScratchDir& scratch);
};

class UnusableTempDirectoryTest : public ::testing::TestWithParam<UnusableTemp> {};

TEST_P(UnusableTempDirectoryTest, GivesNullAndWritesNothing)
{
    ScratchDir scratch;
    WriteFileBytes(scratch.File("plain-file"), "unchanged");
    const std::vector<std::string> scratchBefore = ListDirectory(scratch.path());
    const std::string systemTemp = CurrentTempDirectory();
    const std::vector<std::string> systemBefore = ListDirectory(systemTemp);

    SeenFiles seen;
    {
        TempDirectoryOverride useTemp(GetParam().directory(scratch));
        UniqueCursor cursor(AnimatedCursorLoader(IDR_SHAPES_CURSOR, &RecordFile, &seen));
        EXPECT_EQ(nullptr, cursor.get());
    }
    EXPECT_TRUE(seen.paths.empty()) << "no file may be written: " << seen.paths.front();
    EXPECT_EQ(scratchBefore, ListDirectory(scratch.path()));
    EXPECT_EQ("unchanged", ReadFileBytes(scratch.File("plain-file")));
    EXPECT_EQ(systemBefore, ListDirectory(systemTemp)) << "no fallback to another folder";
}

INSTANTIATE_TEST_SUITE_P(
    Directories, UnusableTempDirectoryTest,
    ::testing::Values(
        UnusableTemp{"Missing", [](const ScratchDir& s) { return s.File("missing"); }},
        UnusableTemp{"AFile", [](const ScratchDir& s) { return s.File("plain-file"); }},
        // Longer than any path the temporary directory may have: it cannot be named.
        UnusableTemp{"TooLong", [](const ScratchDir& s) { return s.path() + "\\" + std::string(300, 'x'); }}),
    [](const ::testing::TestParamInfo<UnusableTemp>& c) { return std::string(c.param.what); });

} // namespace
