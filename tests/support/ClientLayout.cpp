#include "support/ClientLayout.h"

#include <gtest/gtest.h>

namespace testing_support {

std::string ReadUserValue(const std::string& key, const std::string& value)
{
    char buffer[2048];
    DWORD size = sizeof buffer;
    return ::RegGetValueA(HKEY_CURRENT_USER, key.c_str(), value.c_str(), RRF_RT_REG_SZ, nullptr, buffer,
                          &size) == ERROR_SUCCESS
               ? buffer
               : "";
}

void WriteUserValue(const std::string& key, const std::string& value, const std::string& data)
{
    HKEY handle = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    ::RegSetValueExA(handle, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                     static_cast<DWORD>(data.size() + 1));
    ::RegCloseKey(handle);
}

bool UserKeyExists(const std::string& key)
{
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(handle);
    return true;
}

OwnedUserKey::OwnedUserKey(std::string key) : key_(std::move(key))
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
}

OwnedUserKey::~OwnedUserKey()
{
    ::RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
}

ClientLayout::ClientLayout()
    : program_(root_.path() + "\\Program Files\\Eudora"), data_(root_.path() + "\\Application Data\\Eudora")
{
    for (const std::string& folder : {root_.path() + "\\Program Files", program_,
                                      root_.path() + "\\Application Data", data_})
        ::CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(program_ + "\\Eudora.exe", "MZ");
    WriteFileBytes(data_ + "\\eudora.ini", "[Settings]\r\n");
}

velmora_host::ClientFolders ClientLayout::Folders(bool singleFolder) const
{
    return velmora_host::ClientFolders(program_, singleFolder ? std::string() : data_);
}

std::string ClientLayout::CommandLine() const
{
    std::string line;
    for (const std::string& path : {program_ + "\\Eudora.exe", data_, data_ + "\\eudora.ini"}) {
        char shortPath[MAX_PATH] = "";
        ::GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
        line += (line.empty() ? "" : " ") + std::string(shortPath);
    }
    return line;
}

void ClientLayout::RecordStart() const
{
    ::CreateDirectoryA(ProgramPlugins().c_str(), nullptr);
    const std::string line = CommandLine();
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kRecordKey, "Current", REG_SZ, line.c_str(),
                      static_cast<DWORD>(line.size() + 1));
}

void InstallLibrary(const std::string& library, const std::string& pluginsFolder)
{
    ::CreateDirectoryA(pluginsFolder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\" + library).c_str(),
                            (pluginsFolder + "\\" + library).c_str(), FALSE))
        << library << " must be built beside the test program";
}

velmora_host::MailCheckSettings InstantMailCheck()
{
    velmora_host::MailCheckSettings settings;
    settings.periodSeconds = 0;
    settings.progressMs = 0;
    return settings;
}

velmora_host::MainWindowOptions InTestWindowOptions(velmora_host::MailCheckSettings mailCheck)
{
    velmora_host::MainWindowOptions options;
    options.mailCheck = mailCheck;
    options.quitWhenDestroyed = false;
    options.exitProcessAfterEndSession = false;
    return options;
}

std::unique_ptr<velmora_host::Client> StartClient(const velmora_host::ClientFolders& folders,
                                                  velmora_host::MailCheckSettings mailCheck)
{
    return StartClient(folders, InTestWindowOptions(mailCheck));
}

std::unique_ptr<velmora_host::Client> StartClient(const velmora_host::ClientFolders& folders,
                                                  const velmora_host::MainWindowOptions& window)
{
    auto client = std::make_unique<velmora_host::Client>(velmora_host::ClientOptions{folders, window});
    EXPECT_NE(nullptr, client->Start(SW_SHOWNORMAL));
    return client;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        // Asked after every message: on a slow machine several timer ticks can wait in
        // the queue at once, and a state one of them leaves must not pass unseen.
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
            if (condition())
                return true;
        }
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
}

} // namespace testing_support
