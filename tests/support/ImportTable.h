// The import table of a 32-bit Windows module: as laid out in memory by the loader, or
// read from its file.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct Import {
    std::string library;    // in lower case
    std::string function;   // "#<n>" for an import by ordinal
    DWORD* slot;            // where the loader put its address
};

// The imports of a module laid out as the loader lays it out (a loaded module's base).
std::vector<Import> ImportsOf(BYTE* image);

// A PE file's bytes laid out as the loader would (headers and sections at their relative
// addresses), not run; empty when it is no 32-bit PE file or has delay-loaded imports,
// which ImportsOf does not read.
std::vector<BYTE> ImageOfFile(const std::string& path);

} // namespace testing_support
