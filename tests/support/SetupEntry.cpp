#include "support/SetupEntry.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>

#include "support/Files.h"

namespace testing_support {

namespace {

// Starts a program of the system under wine. Its process handle tells neither its exit
// code nor reliably its end, so callers watch for its effect.
void StartUnixCommand(std::string command)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process))
        return;
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}

// Whether a folder can be created in `folder` now (the probe is removed again).
bool Writable(const std::string& folder)
{
    const std::string probe = folder + "\\probe";
    if (!::CreateDirectoryA(probe.c_str(), nullptr))
        return false;
    ::RemoveDirectoryA(probe.c_str());
    return true;
}

// Sets or clears (`flag` "+i" or "-i") the immutable attribute of a folder and waits, up
// to ten seconds, until that is done: a shell runs chattr, then leaves a file beside the
// folder. Probing the folder meanwhile could leave the probe behind in it.
bool ChangeImmutable(const std::string& folder, const std::string& unixPath, const char* flag)
{
    const std::string done = folder + ".done";
    ::DeleteFileA(done.c_str());
    StartUnixCommand("/bin/sh -c \"/usr/bin/chattr " + std::string(flag) + " '" + unixPath + "'; : > '" +
                     unixPath + ".done'\"");
    bool ended = false;
    for (int i = 0; i < 500 && !ended; ++i) {
        ended = PathExists(done);
        if (!ended)
            ::Sleep(20);
    }
    ::DeleteFileA(done.c_str());
    return ended;
}

} // namespace

std::string SetupEntryKey(const std::string& dataFolder)
{
    char longPath[MAX_PATH];
    if (::GetLongPathNameA(dataFolder.c_str(), longPath, MAX_PATH) == 0)
        lstrcpynA(longPath, dataFolder.c_str(), MAX_PATH);
    ::CharUpperA(longPath);
    unsigned crc = 0xFFFFFFFFu;
    for (const char* c = longPath; *c != '\0'; ++c) {
        const unsigned char utf16[2] = {static_cast<unsigned char>(*c), 0};   // ASCII test paths
        for (unsigned char byte : utf16) {
            crc ^= byte;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    char key[128];
    std::snprintf(key, sizeof key, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmora-%08X", ~crc);
    return key;
}

std::string SetupUninstallersFolder()
{
    char appData[MAX_PATH] = "";
    ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData);
    return std::string(appData) + "\\Velmora\\Uninstall";
}

UnwritableFolder::UnwritableFolder(const std::string& folder) : folder_(folder)
{
    using UnixNameFn = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (unixName == nullptr)
        return;
    wchar_t wide[MAX_PATH];
    ::MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
    char* name = unixName(wide);
    if (name == nullptr)
        return;
    unixPath_ = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    held_ = ChangeImmutable(folder_, unixPath_, "+i") && !Writable(folder_);
}

UnwritableFolder::~UnwritableFolder()
{
    if (unixPath_.empty())
        return;
    ChangeImmutable(folder_, unixPath_, "-i");
}

} // namespace testing_support
