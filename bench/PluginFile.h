// What the built velmora.dll carries as a file: its size and imported libraries.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct FileFacts {
    bool readable = false;
    uint64_t bytes = 0;
    bool stripped = false; // no COFF symbol table
    std::vector<std::string> imports;
};

// Reads the PE headers and import directory of a DLL from disk.
FileFacts InspectPluginFile(const std::string& path);

// Libraries every Windows installation has.
bool IsSystemLibrary(const std::string& name);

} // namespace bench
