// Module-wide state the plug-in keeps for as long as it is loaded.
#pragma once
#include <string>

// The host's API version; only "greater than 3" is ever asked of it.
extern short HostApiVersion;
// The folder the host names at initialisation; velmora.ini and velmora.dll live there.
extern std::string ConfigDirectory;

// Product strings from the version resource of velmora.dll in ConfigDirectory.
struct ProductInfoStrings {
    std::string productName;
    std::string versionText;
    std::string legalNoticeText;
};
extern ProductInfoStrings ProductInfo;

// Copies of strings and icon holders handed to the host come from this heap and go
// back through ems_free.
void* HostHeapAlloc(size_t bytes) noexcept;
void HostHeapFree(void* block) noexcept;
char* HostHeapCopy(const std::string& text) noexcept;
