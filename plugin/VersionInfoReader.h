// Reads string values from a file's version resource.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

class VersionInfoReader {
public:
    VersionInfoReader() = default;
    ~VersionInfoReader() { Close(); }
    VersionInfoReader(const VersionInfoReader&) = delete;
    VersionInfoReader& operator=(const VersionInfoReader&) = delete;

    // Loads the file's version resource and its first translation. 1 on success; after
    // a failure nothing stays loaded.
    int Open(const char* path);
    // A string value such as "ProductName" in the given language and code page (0: the
    // first translation's), or "" when nothing is loaded or the key is missing.
    std::string QueryValue(const char* name, uint32_t languageCodePage = 0) const;
    void Close() noexcept;

    // Language in the high 16 bits, code page in the low 16 (0x040904B0 is US English,
    // Unicode); 0 when nothing is loaded.
    uint32_t translation() const noexcept { return translation_; }

private:
    void* block_ = nullptr;
    uint32_t translation_ = 0;
};
