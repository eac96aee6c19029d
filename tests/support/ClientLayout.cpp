#include "support/ClientLayout.h"

#include <gtest/gtest.h>

namespace testing_support {

ClientLayout::ClientLayout() : program_(root_.File("Program")), data_(root_.File("Data"))
{
    ::CreateDirectoryA(program_.c_str(), nullptr);
    ::CreateDirectoryA(data_.c_str(), nullptr);
}

velmora_host::ClientFolders ClientLayout::Folders(bool singleFolder) const
{
    return velmora_host::ClientFolders(program_, singleFolder ? std::string() : data_);
}

void InstallLibrary(const std::string& library, const std::string& pluginsFolder)
{
    ::CreateDirectoryA(pluginsFolder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\" + library).c_str(),
                            (pluginsFolder + "\\" + library).c_str(), FALSE))
        << library << " must be built beside the test program";
}

velmora_host::MainWindowOptions InTestWindowOptions(velmora_host::MailCheckSettings mailCheck)
{
    velmora_host::MainWindowOptions options;
    options.mailCheck = mailCheck;
    options.quitWhenDestroyed = false;
    return options;
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(10);
    }
}

} // namespace testing_support
