#include "bench/PluginFile.h"

#include <cstring>

namespace bench {

namespace {

std::string ReadWholeFile(const std::string& path, bool& ok)
{
    ok = false;
    std::string bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    const DWORD size = ::GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) {
        bytes.resize(size);
        DWORD read = 0;
        ok = size == 0 || (::ReadFile(file, &bytes[0], size, &read, nullptr) && read == size);
    }
    ::CloseHandle(file);
    return bytes;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// A view of the file's bytes that refuses to read past its end.
class Image {
public:
    explicit Image(const std::string& bytes) : bytes_(bytes) {}
    template <class T>
    bool Read(size_t offset, T& out) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            return false;
        std::memcpy(&out, bytes_.data() + offset, sizeof(T));
        return true;
    }
    std::string CString(size_t offset) const
    {
        std::string text;
        for (size_t i = offset; i < bytes_.size() && bytes_[i] != '\0'; ++i)
            text += bytes_[i];
        return text;
    }

private:
    const std::string& bytes_;
};

} // namespace

FileFacts InspectPluginFile(const std::string& path)
{
    FileFacts facts;
    bool ok = false;
    const std::string bytes = ReadWholeFile(path, ok);
    if (!ok)
        return facts;
    facts.bytes = bytes.size();
    const Image image(bytes);

    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    if (!image.Read(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE ||
        !image.Read(static_cast<size_t>(dos.e_lfanew), nt) || nt.Signature != IMAGE_NT_SIGNATURE)
        return facts;
    facts.readable = true;
    facts.stripped = nt.FileHeader.PointerToSymbolTable == 0 && nt.FileHeader.NumberOfSymbols == 0;

    const size_t sections = static_cast<size_t>(dos.e_lfanew) + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                            nt.FileHeader.SizeOfOptionalHeader;
    auto fileOffset = [&](DWORD rva, size_t& offset) {
        for (WORD i = 0; i < nt.FileHeader.NumberOfSections; ++i) {
            IMAGE_SECTION_HEADER s{};
            if (!image.Read(sections + i * sizeof s, s))
                return false;
            const DWORD extent = s.Misc.VirtualSize > s.SizeOfRawData ? s.Misc.VirtualSize : s.SizeOfRawData;
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + extent) {
                offset = rva - s.VirtualAddress + s.PointerToRawData;
                return true;
            }
        }
        return false;
    };

    const IMAGE_DATA_DIRECTORY& directory = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    size_t offset = 0;
    if (directory.VirtualAddress == 0 || !fileOffset(directory.VirtualAddress, offset))
        return facts;
    for (;; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        IMAGE_IMPORT_DESCRIPTOR descriptor{};
        if (!image.Read(offset, descriptor) || descriptor.Name == 0)
            break;
        size_t nameOffset = 0;
        if (fileOffset(descriptor.Name, nameOffset))
            facts.imports.push_back(image.CString(nameOffset));
    }
    return facts;
}

bool IsSystemLibrary(const std::string& name)
{
    static const char* const kSystem[] = {
        "kernel32.dll", "user32.dll",  "gdi32.dll",  "advapi32.dll", "shell32.dll",
        "version.dll",  "msvcrt.dll",  "comctl32.dll", "ole32.dll",  "ntdll.dll",
    };
    const std::string lower = Lower(name);
    for (const char* system : kSystem)
        if (lower == system)
            return true;
    return false;
}

} // namespace bench
