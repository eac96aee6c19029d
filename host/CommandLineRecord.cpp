#include "host/CommandLineRecord.h"

#include <windows.h>

namespace velmora_host {

const char* const kCommandLineKey = "Software\\Qualcomm\\Eudora\\CommandLine";
const char* const kCommandLineValue = "Current";

namespace {

std::string ShortPath(const std::string& path)
{
    char buffer[MAX_PATH];
    const DWORD n = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buffer, n) : std::string();
}

void CreateEmptyFileIfMissing(const std::string& path)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
}

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (key_ != nullptr)
            ::RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

} // namespace

std::string RecordCommandLine(const std::string& programFile, const ClientFolders& folders)
{
    ::CreateDirectoryA(folders.data().c_str(), nullptr);
    CreateEmptyFileIfMissing(folders.IniFile());
    const std::string program = ShortPath(programFile);
    const std::string data = ShortPath(folders.data());
    const std::string ini = ShortPath(folders.IniFile());
    if (program.empty() || data.empty() || ini.empty())
        return {};
    const std::string text = program + " " + WithoutTrailingSeparators(data) + " " + ini;

    RegistryKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, kCommandLineKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, key.out(), nullptr) != ERROR_SUCCESS)
        return {};
    const LONG written = ::RegSetValueExA(key.get(), kCommandLineValue, 0, REG_SZ,
                                         reinterpret_cast<const BYTE*>(text.c_str()),
                                         static_cast<DWORD>(text.size() + 1));
    return written == ERROR_SUCCESS ? text : std::string();
}

} // namespace velmora_host
