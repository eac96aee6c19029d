// Module-wide state the plug-in keeps for as long as it is loaded.
#pragma once
#include <string>

#include "settings/ProductStrings.h"

// The host's API version; only "greater than 3" is ever asked of it.
extern short HostApiVersion;
// The folder the host names at initialisation; velmora.ini lives there.
extern std::string ConfigDirectory;

// Copies of strings and icon holders handed to the host come from this heap and go
// back through ems_free.
void* HostHeapAlloc(size_t bytes) noexcept;
void HostHeapFree(void* block) noexcept;
char* HostHeapCopy(const std::string& text) noexcept;
