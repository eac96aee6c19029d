// velmora.dll loads on the oldest Windows the README names: every function it imports is
// on the list of functions known to exist by name there (oldest_windows_imports.inc).
// A plug-in that does not load is skipped by the client without a word.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ImportTable.h"
#include "support/TestSupport.h"

using namespace testing_support;

namespace {

struct KnownLibrary {
    const char* library;
    const char* functions;   // blank-separated
};
const KnownLibrary kKnownOnOldestWindows[] = {
#include "oldest_windows_imports.inc"
};

TEST(WindowsVersions, EveryImportOfThePlugInExistsByNameOnTheOldestWindowsNamed)
{
    std::set<std::string> known;
    for (const KnownLibrary& entry : kKnownOnOldestWindows) {
        std::istringstream names(entry.functions);
        for (std::string name; names >> name;)
            known.insert(std::string(entry.library) + "!" + name);
    }
    // The file as built, read as the loader would read it, not loaded.
    std::vector<BYTE> image = ImageOfFile(BuiltPluginPath());
    ASSERT_FALSE(image.empty()) << "no 32-bit PE file, or one with delay-loaded imports";
    std::set<std::string> imports;
    for (const Import& import : ImportsOf(image.data()))
        imports.insert(import.library + "!" + import.function);
    // What every build imports whatever else changes: the table was read.
    ASSERT_EQ(1u, imports.count("user32.dll!SetWindowsHookExA"));
    ASSERT_EQ(1u, imports.count("comctl32.dll!SetWindowSubclass"));
    for (const std::string& import : imports)
        EXPECT_EQ(1u, known.count(import)) << import << " is not known to exist on Windows XP SP3";
}

} // namespace
