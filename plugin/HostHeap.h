// The blocks the plug-in hands to the host.
#pragma once
#include <cstddef>
#include <string>

// Copies of strings and icon holders handed to the host come from this heap and go
// back through ems_free.
void* HostHeapAlloc(size_t bytes) noexcept;
void HostHeapFree(void* block) noexcept;
char* HostHeapCopy(const std::string& text) noexcept;
