#include "support/ImportTable.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>

#include "support/Files.h"

namespace testing_support {

namespace {

const IMAGE_NT_HEADERS32* Headers(const BYTE* image, size_t size)
{
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    if (size < sizeof *dos || dos->e_magic != IMAGE_DOS_SIGNATURE ||
        static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS32) > size)
        return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image + dos->e_lfanew);
    return nt->Signature == IMAGE_NT_SIGNATURE && nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC ? nt
                                                                                                          : nullptr;
}

} // namespace

std::vector<Import> ImportsOf(BYTE* image)
{
    std::vector<Import> imports;
    // Laid out by the loader: the headers are there whole.
    const IMAGE_NT_HEADERS32* nt = Headers(image, SIZE_MAX);
    if (nt == nullptr)
        return imports;
    const IMAGE_DATA_DIRECTORY& table = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(image + table.VirtualAddress);
         table.VirtualAddress != 0 && d->Name != 0; ++d) {
        std::string library = reinterpret_cast<const char*>(image + d->Name);
        std::transform(library.begin(), library.end(), library.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA32*>(image + (d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk
                                                                                                : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA32*>(image + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            const std::string function =
                IMAGE_SNAP_BY_ORDINAL32(names->u1.Ordinal)
                    ? "#" + std::to_string(IMAGE_ORDINAL32(names->u1.Ordinal))
                    : std::string(reinterpret_cast<const char*>(image + names->u1.AddressOfData + sizeof(WORD)));
            imports.push_back({library, function, reinterpret_cast<DWORD*>(&slots->u1.Function)});
        }
    }
    return imports;
}

std::vector<BYTE> ImageOfFile(const std::string& path)
{
    const std::string file = ReadFileBytes(path);
    const auto* bytes = reinterpret_cast<const BYTE*>(file.data());
    const IMAGE_NT_HEADERS32* nt = Headers(bytes, file.size());
    if (nt == nullptr || nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT].Size != 0)
        return {};
    std::vector<BYTE> image(nt->OptionalHeader.SizeOfImage);
    std::memcpy(image.data(), bytes, std::min<size_t>(nt->OptionalHeader.SizeOfHeaders, std::min(file.size(), image.size())));
    const auto* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (section->VirtualAddress > image.size())
            return {};
        const size_t size = std::min<size_t>(section->SizeOfRawData, image.size() - section->VirtualAddress);
        if (section->PointerToRawData + size > file.size())
            return {};
        std::memcpy(image.data() + section->VirtualAddress, bytes + section->PointerToRawData, size);
    }
    return image;
}

} // namespace testing_support
