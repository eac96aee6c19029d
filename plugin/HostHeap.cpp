#include "plugin/HostHeap.h"

#include <windows.h>

#include <cstring>


void* HostHeapAlloc(size_t bytes) noexcept
{
    return ::HeapAlloc(::GetProcessHeap(), 0, bytes);
}

void HostHeapFree(void* block) noexcept
{
    if (block != nullptr)
        ::HeapFree(::GetProcessHeap(), 0, block);
}

char* HostHeapCopy(const std::string& text) noexcept
{
    const size_t length = std::strlen(text.c_str());
    char* copy = static_cast<char*>(HostHeapAlloc(length + 1));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), length + 1);
    return copy;
}
