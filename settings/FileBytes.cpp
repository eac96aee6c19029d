#include "settings/FileBytes.h"

#include "framework/File.h"
#include "framework/ScopedHandle.h"
#include "settings/SettingsLimits.h"

bool FitsTheProfileFunctions(const std::string& path) noexcept
{
    const DWORD needed = ::GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    return needed != 0 && needed <= MAX_PATH;
}

std::string NewFilePathFor(const std::string& settingsPath)
{
    const size_t dot = settingsPath.find_last_of(".\\/");
    if (dot == std::string::npos || settingsPath[dot] != '.' || settingsPath.size() - dot != 4)
        return settingsPath + ".new";
    return settingsPath.substr(0, dot) + ".new";
}

namespace {

// How long a write waits, in all, for another program's write of the file to end.
constexpr DWORD kLongestWaitMs = 1000;

// The file opened so that no other program writes it meanwhile (its writes are refused,
// for as long as this handle is open). Readers go on.
HANDLE OpenUnwritten(const std::string& path, DWORD access) noexcept
{
    return ::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

} // namespace

HANDLE OpenWhenUnwritten(const std::string& path, DWORD access, DWORD since) noexcept
{
    for (;;) {
        HANDLE file = OpenUnwritten(path, access);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION ||
            ::GetTickCount() - since > kLongestWaitMs)
            return file;
        ::Sleep(1);
    }
}

bool ReadWhole(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const ScopedHandle file(OpenWhenUnwritten(path, GENERIC_READ, ::GetTickCount()));
    if (file.IsValid())
        return ReadToEnd(file.Get(), kLargestSettingsFile, bytes);
    return ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool WriteNewFile(const std::string& path, const std::string& bytes)
{
    const ScopedHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.IsValid() && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size() && ::FlushFileBuffers(file.Get());
}
