#include "plugin/VersionInfoReader.h"

#include "framework/TextNumbers.h"

#include <cstdlib>
#include <cstring>

int VersionInfoReader::Open(const char* path)
{
    Close();
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0)
        return 0;
    block_ = std::malloc(size);
    if (block_ == nullptr)
        return 0;
    if (!::GetFileVersionInfoA(path, 0, size, block_)) {
        Close();
        return 0;
    }
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block_, "\\VarFileInfo\\Translation", &value, &length) ||
        value == nullptr || length < sizeof(uint32_t)) {
        Close();
        return 0;
    }
    uint32_t entry;
    std::memcpy(&entry, value, sizeof entry);
    // Stored as language in the low half and code page in the high half.
    translation_ = (entry << 16) | (entry >> 16);
    return 1;
}

std::string VersionInfoReader::QueryValue(const char* name, uint32_t languageCodePage) const
{
    if (block_ == nullptr)
        return std::string();
    if (languageCodePage == 0)
        languageCodePage = translation_;
    const std::string query = "\\StringFileInfo\\" + HexText(languageCodePage, 8) + "\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block_, query.c_str(), &value, &length) || value == nullptr)
        return std::string();
    const char* text = static_cast<const char*>(value);
    size_t size = 0;
    while (size < length && text[size] != '\0')
        ++size;
    return std::string(text, size);
}

void VersionInfoReader::Close() noexcept
{
    std::free(block_);
    block_ = nullptr;
    translation_ = 0;
}
