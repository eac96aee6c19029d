#include "support/TempDirectory.h"

#include <windows.h>

#include <algorithm>

namespace testing_support {

TempDirectoryOverride::TempDirectoryOverride(const std::string& directory)
{
    const DWORD needed = ::GetEnvironmentVariableA("TMP", nullptr, 0);
    if (needed > 0) {
        std::string value(needed, '\0');
        const DWORD copied = ::GetEnvironmentVariableA("TMP", &value[0], needed);
        value.resize(copied);
        previous_ = value;
        hadValue_ = true;
    }
    ::SetEnvironmentVariableA("TMP", directory.c_str());
}

TempDirectoryOverride::~TempDirectoryOverride()
{
    ::SetEnvironmentVariableA("TMP", hadValue_ ? previous_.c_str() : nullptr);
}

std::string CurrentTempDirectory()
{
    char path[MAX_PATH] = "";
    const DWORD length = ::GetTempPathA(MAX_PATH, path);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

std::vector<std::string> ListDirectory(const std::string& directory, const std::string& pattern)
{
    std::vector<std::string> names;
    std::string base = directory;
    if (!base.empty() && base.back() != '\\' && base.back() != '/')
        base += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((base + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testing_support
