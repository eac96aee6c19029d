// velmora.dll loads on the oldest Windows the README names: every function it imports is
// on the list of functions known to exist by name there (oldest_windows_imports.inc).
// A plug-in that does not load is skipped by the client without a word.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/Files.h"
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

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The imports of a 32-bit PE file read from its bytes, as "library!function" (library in
// lower case, "#n" for an import by ordinal); `error` says why when they cannot be read.
class ImportTable {
public:
    explicit ImportTable(const std::string& path) : image_(ReadFileBytes(path)) { Read(); }
    std::set<std::string> imports;
    std::string error;

private:
    template <class T>
    const T* At(size_t offset) const
    {
        return offset + sizeof(T) <= image_.size() ? reinterpret_cast<const T*>(image_.data() + offset) : nullptr;
    }
    // The file offset of a relative virtual address, or 0.
    size_t Offset(DWORD rva) const
    {
        for (const IMAGE_SECTION_HEADER& s : sections_) {
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return 0;
    }
    std::string Text(DWORD rva) const
    {
        const size_t offset = Offset(rva);
        if (offset == 0 || offset >= image_.size())
            return std::string();
        return std::string(image_.c_str() + offset, strnlen(image_.c_str() + offset, image_.size() - offset));
    }
    void Read()
    {
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        const auto* nt = dos != nullptr ? At<IMAGE_NT_HEADERS32>(static_cast<size_t>(dos->e_lfanew)) : nullptr;
        if (nt == nullptr || nt->Signature != IMAGE_NT_SIGNATURE ||
            nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            error = "not a 32-bit PE file";
            return;
        }
        const size_t sectionTable = static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                                    nt->FileHeader.SizeOfOptionalHeader;
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            if (const auto* s = At<IMAGE_SECTION_HEADER>(sectionTable + i * sizeof(IMAGE_SECTION_HEADER)))
                sections_.push_back(*s);
        }
        const IMAGE_DATA_DIRECTORY* dirs = nt->OptionalHeader.DataDirectory;
        if (dirs[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size != 0)
            error = "delay-loaded imports, which this test does not read";
        for (size_t d = Offset(dirs[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress); d != 0;
             d += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* descriptor = At<IMAGE_IMPORT_DESCRIPTOR>(d);
            if (descriptor == nullptr || descriptor->Name == 0)
                break;
            const std::string library = Lower(Text(descriptor->Name));
            const DWORD thunks = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
            for (size_t t = Offset(thunks); t != 0; t += sizeof(IMAGE_THUNK_DATA32)) {
                const auto* thunk = At<IMAGE_THUNK_DATA32>(t);
                if (thunk == nullptr || thunk->u1.AddressOfData == 0)
                    break;
                if (IMAGE_SNAP_BY_ORDINAL32(thunk->u1.Ordinal))
                    imports.insert(library + "!#" + std::to_string(IMAGE_ORDINAL32(thunk->u1.Ordinal)));
                else
                    imports.insert(library + "!" + Text(thunk->u1.AddressOfData + sizeof(WORD)));
            }
        }
    }

    std::string image_;
    std::vector<IMAGE_SECTION_HEADER> sections_;
};

TEST(WindowsVersions, EveryImportOfThePlugInExistsByNameOnTheOldestWindowsNamed)
{
    std::set<std::string> known;
    for (const KnownLibrary& entry : kKnownOnOldestWindows) {
        std::istringstream names(entry.functions);
        for (std::string name; names >> name;)
            known.insert(std::string(entry.library) + "!" + name);
    }
    const ImportTable table(BuiltPluginPath());
    ASSERT_EQ("", table.error);
    // What every build imports whatever else changes: the table was read.
    ASSERT_EQ(1u, table.imports.count("user32.dll!SetWindowsHookExA"));
    ASSERT_EQ(1u, table.imports.count("comctl32.dll!SetWindowSubclass"));
    for (const std::string& import : table.imports)
        EXPECT_EQ(1u, known.count(import)) << import << " is not known to exist on Windows XP SP3";
}

} // namespace
